#include "engine/base_install.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base_lock.h"
#include "platform/errors.h"
#include "support/engine_fixture.h"
#include "support/failing_file_calls.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

namespace fs = std::filesystem;
using test::CrLfLines;
using Call = test::FailingFileCalls::Call;

// The bundled base's files in the order the old launcher copied them: path.tmb last.
const std::vector<std::pair<std::string, std::string>> kBundled = {
    {"dlg/1.dlg", CrLfLines({"$hi", "#Hello!", "#END"})},
    {"dlg/2.dlg", CrLfLines({"$weather", "#Sunny.", "$and tomorrow", "#Rain.", "#END"})},
    {"opt.tmb", CrLfLines({"", "false", "70", "2"})},
    {"path.tmb", CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"})},
};
const std::string kVersion = "v2\r\n";
const std::string kWords = CrLfLines({"hey=hi", "well="});
const std::string kConcepts = CrLfLines({"@friend=pal, mate", "!@danger=suicide"});

class BaseInstall : public testing::Test {
protected:
    void SetUp() override {
        for (const auto& [name, bytes] : kBundled) {
            bundled.Write(name, bytes);
        }
        bundled.Write("version", kVersion);
        bundled.Write("words.tmb", kWords);
        bundled.Write("concepts.tmb", kConcepts);
    }

    std::string Folder() const { return home.prefix() + "share/tumbo3"; }
    std::string Read(const std::string& name) const { return home.Read("share/tumbo3/" + name); }

    // Every listed file and the version as bundled, and nothing half-built left beside it.
    void ExpectWhole() const {
        for (const auto& [name, bytes] : kBundled) {
            EXPECT_EQ(Read(name), bytes) << name;
        }
        EXPECT_EQ(Read(".bundled-version"), kVersion);
        EXPECT_EQ(Read("words.tmb"), kWords);
        EXPECT_EQ(Read("concepts.tmb"), kConcepts);
        EXPECT_FALSE(fs::exists(home.file("share/.tumbo3.install")));
    }

    // The old launcher's copy, stopped inside file `cut` after `length` of its bytes.
    void HalfCopy(std::size_t cut, std::size_t length) const {
        fs::create_directories(Folder() + "/dlg");
        for (std::size_t i = 0; i < cut; ++i) {
            home.Write("share/tumbo3/" + kBundled[i].first, kBundled[i].second);
        }
        home.Write("share/tumbo3/" + kBundled[cut].first, kBundled[cut].second.substr(0, length));
    }

    test::TempDir bundled;
    test::TempDir home;
};

TEST_F(BaseInstall, AFirstStartInstallsTheWholeBaseOnce) {
    EXPECT_EQ(InstallBundledBase(bundled.path().string(), Folder()), InstallResult::kInstalled);
    ExpectWhole();
    EXPECT_TRUE(BundledVersionRecorded(bundled.path().string(), Folder()));
    home.Write("share/tumbo3/opt.tmb", "taught\r\n");
    EXPECT_EQ(InstallBundledBase(bundled.path().string(), Folder()), InstallResult::kPresent);
    EXPECT_EQ(Read("opt.tmb"), "taught\r\n");
}

TEST_F(BaseInstall, ASecondFirstStartWaitsForTheOneInstalling) {
    fs::create_directories(home.file("share/.tumbo3.install"));
    {
        const auto installing = BaseLock::TryAcquire(home.file("share/.tumbo3.install"));
        ASSERT_NE(installing, nullptr);
        EXPECT_EQ(InstallBundledBase(bundled.path().string(), Folder()),
                  InstallResult::kInstalling);
        EXPECT_FALSE(fs::exists(Folder()));
    }
    // The one installing died: what it left is built again.
    home.Write("share/.tumbo3.install/dlg/9.dlg", "stale");
    EXPECT_EQ(InstallBundledBase(bundled.path().string(), Folder()), InstallResult::kInstalled);
    ExpectWhole();
    EXPECT_FALSE(fs::exists(Folder() + "/dlg/9.dlg"));
}

// Every point where the old launcher could stop, each file cut empty, within its first
// line and one byte short: the repair completes the base.
TEST_F(BaseInstall, AHalfCopyOfTheOldLauncherIsCompleted) {
    for (std::size_t cut = 0; cut < kBundled.size(); ++cut) {
        for (const std::size_t length :
             {std::size_t{0}, std::size_t{3}, kBundled[cut].second.size() - 1}) {
            SCOPED_TRACE(kBundled[cut].first + " cut at " + std::to_string(length));
            home.Clear();
            HalfCopy(cut, length);
            EXPECT_GE(RepairBase(bundled.path().string(), Folder()), 1);
            for (const auto& [name, bytes] : kBundled) {
                EXPECT_EQ(Read(name), bytes) << name;
            }
        }
    }
}

// The repair of the emptiest half copy killed at each file call: a complete path list only
// ever names whole files, and the next start completes the base.
TEST_F(BaseInstall, ARepairKilledAtEveryCallIsCompletedLater) {
    for (int crashAt = 1;; ++crashAt) {
        SCOPED_TRACE("crash at call " + std::to_string(crashAt));
        ASSERT_LT(crashAt, 300);
        home.Clear();
        HalfCopy(0, 0);
        test::FailingFileCalls calls;
        calls.FailAt(Call::kAny, EIO, crashAt);
        try {
            RepairBase(bundled.path().string(), Folder(), calls);
        } catch (const TumboError&) {
        }
        if (Read("path.tmb") == kBundled.back().second) {
            for (const auto& [name, bytes] : kBundled) {
                EXPECT_EQ(Read(name), bytes) << name;
            }
        }
        RepairBase(bundled.path().string(), Folder());
        for (const auto& [name, bytes] : kBundled) {
            EXPECT_EQ(Read(name), bytes) << name << " at the next start";
        }
        if (calls.Uses() < crashAt) {
            break;
        }
    }
}

// A base in use, from an earlier release or taught since: nothing is half-copied there.
TEST_F(BaseInstall, TheRepairTouchesNothingElse) {
    const std::string oldList = CrLfLines({"dlg\\1.dlg"});
    home.Write("share/tumbo3/path.tmb", oldList);
    home.Write("share/tumbo3/dlg/1.dlg", CrLfLines({"$hi", "#Hi, [n].", "#END"}));
    home.Write("share/tumbo3/opt.tmb", CrLfLines({"me", "true", "70", "1"}));
    EXPECT_EQ(RepairBase(bundled.path().string(), Folder()), 0);
    EXPECT_EQ(Read("path.tmb"), oldList) << "an older release's list is no half copy";
    EXPECT_FALSE(fs::exists(Folder() + "/dlg/2.dlg")) << "an unlisted file is not brought back";

    home.Write("share/tumbo3/path.tmb", "");
    home.Write("share/tumbo3/.bundled-version", "v1\r\n");
    EXPECT_EQ(RepairBase(bundled.path().string(), Folder()), 0);
    EXPECT_EQ(Read("path.tmb"), "") << "a base emptied on purpose stays empty";

    home.Write("share/tumbo3/path.tmb", oldList);
    fs::remove(Folder() + "/dlg/1.dlg");
    EXPECT_EQ(RepairBase(bundled.path().string(), Folder()), 1);
    EXPECT_EQ(Read("dlg/1.dlg"), kBundled[0].second) << "a listed file that is gone";
}

TEST_F(BaseInstall, TheVersionIsRecordedWhole) {
    home.Write("share/tumbo3/path.tmb", "");
    EXPECT_FALSE(BundledVersionRecorded(bundled.path().string(), Folder()));
    RecordBundledVersion(bundled.path().string(), Folder());
    EXPECT_TRUE(BundledVersionRecorded(bundled.path().string(), Folder()));
    bundled.Write("version", "v3\r\n");
    EXPECT_FALSE(BundledVersionRecorded(bundled.path().string(), Folder()));
    fs::remove(bundled.file("version"));
    EXPECT_TRUE(BundledVersionRecorded(bundled.path().string(), Folder()))
        << "a bundled base without a version has nothing to merge";
}

}  // namespace
}  // namespace tumbo
