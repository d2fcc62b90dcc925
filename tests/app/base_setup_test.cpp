#include "app/base_setup.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/base_lock.h"
#include "support/engine_fixture.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

namespace fs = std::filesystem;
using test::CrLfLines;

const std::string kPathList = CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"});
const std::string kDialogue1 = CrLfLines({"$hi", "#Hello!", "#END"});
const std::string kDialogue2 = CrLfLines({"$weather", "#Sunny.", "#END"});

class BaseSetup : public testing::Test {
protected:
    void SetUp() override {
        bundled.Write("opt.tmb", CrLfLines({"", "false", "70", "2"}));
        bundled.Write("path.tmb", kPathList);
        bundled.Write("dlg/1.dlg", kDialogue1);
        bundled.Write("dlg/2.dlg", kDialogue2);
        bundled.Write("version", "v1\r\n");
        source.bundled = bundled.path().string();
    }

    test::TempDir bundled;
    test::TempDir dir;
    BaseSource source;
};

// The registry's folder is the one installed and updated, not the XDG one.
TEST_F(BaseSetup, TheRegistryFolderIsInstalledAndUpdated) {
    const std::string folder = dir.prefix() + "srv/tumbo";
    dir.Write("tumbo3.reg",
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3]\r\n"
              "\"programdir\"=\"" +
                  folder + "/\"\r\n");
    ASSERT_EQ(UsedDataFolder(dir.file("tumbo3.reg")).folder, folder);
    OpenSettings settings;
    settings.bundled = source.bundled;
    ASSERT_TRUE(Session::Open(folder, settings).session);
    EXPECT_EQ(dir.Read("srv/tumbo/dlg/2.dlg"), kDialogue2);
    EXPECT_EQ(dir.Read("srv/tumbo/.bundled-version"), "v1\r\n");

    // A new release adds a dialogue; the user had taught one as the third.
    dir.Write("srv/tumbo/path.tmb", kPathList + "dlg\\3.dlg\r\n");
    dir.Write("srv/tumbo/dlg/3.dlg", CrLfLines({"$taught", "#yes", "#END"}));
    bundled.Write("path.tmb", kPathList + "dlg\\3.dlg\r\n");
    bundled.Write("dlg/3.dlg", CrLfLines({"$new", "#New!", "#END"}));
    bundled.Write("version", "v2\r\n");

    settings.updates = false;
    ASSERT_TRUE(Session::Open(folder, settings).session);
    EXPECT_FALSE(dir.Exists("srv/tumbo/dlg/4.dlg")) << "TUMBO_NO_BASE_UPDATE=1 keeps it out";
    EXPECT_EQ(dir.Read("srv/tumbo/.bundled-version"), "v1\r\n");

    settings.updates = true;
    ASSERT_TRUE(Session::Open(folder, settings).session);
    EXPECT_EQ(dir.Read("srv/tumbo/dlg/4.dlg"), CrLfLines({"$new", "#New!", "#END"}));
    EXPECT_EQ(dir.Read("srv/tumbo/opt.tmb"), CrLfLines({"", "false", "70", "4"}))
        << "the count is the path list's, whatever it said before";
    EXPECT_EQ(dir.Read("srv/tumbo/.bundled-version"), "v2\r\n");
    ASSERT_TRUE(Session::Open(folder, settings).session);
    EXPECT_FALSE(dir.Exists("srv/tumbo/dlg/5.dlg"));
}

TEST_F(BaseSetup, WithoutARegistryFolderTheXdgOneIsUsed) {
    const std::string noRegistry = dir.file("none.reg");
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(UsedDataFolder(noRegistry).folder, "/data/home/tumbo3");
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UsedDataFolder(noRegistry).folder, "/home/someone/.local/share/tumbo3")
        << "a relative XDG_DATA_HOME is ignored";
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", home.c_str(), 1);
}

// Two first starts of the real program at once: one installs and keeps running, the other
// hands over to it, and the base is whole.
TEST_F(BaseSetup, TwoFirstStartsAtOnce) {
    if (fs::exists(TUMBO_REGISTRY_FILE)) {
        GTEST_SKIP() << TUMBO_REGISTRY_FILE << " names another data folder on this machine";
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString(dir.prefix() + "data"));
    QProcess starts[2];
    for (QProcess& start : starts) {
        start.setProcessEnvironment(environment);
        start.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        start.start(TUMBO_PROGRAM, {"--bundled-base", QString::fromStdString(source.bundled)});
    }
    QSignalSpy firstEnded(&starts[0], &QProcess::finished);
    QSignalSpy secondEnded(&starts[1], &QProcess::finished);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return firstEnded.count() + secondEnded.count() > 0; }, 20'000))
        << "neither start handed over";
    QTest::qWait(200);
    ASSERT_EQ(firstEnded.count() + secondEnded.count(), 1) << "one start keeps the window";
    QProcess* const running = firstEnded.count() == 0 ? &starts[0] : &starts[1];
    const QProcess& handedOver = firstEnded.count() == 0 ? starts[1] : starts[0];
    EXPECT_EQ(handedOver.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(handedOver.exitCode(), 0);
    running->kill();
    running->waitForFinished();
    EXPECT_EQ(dir.Read("data/tumbo3/path.tmb"), kPathList);
    EXPECT_EQ(dir.Read("data/tumbo3/dlg/1.dlg"), kDialogue1);
    EXPECT_EQ(dir.Read("data/tumbo3/dlg/2.dlg"), kDialogue2);
    EXPECT_EQ(dir.Read("data/tumbo3/.bundled-version"), "v1\r\n");
    EXPECT_FALSE(dir.Exists("data/.tumbo3.install"));
}

}  // namespace
}  // namespace tumbo
