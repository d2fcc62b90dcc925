#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "app/single_instance.h"
#include "engine/session.h"
#include "platform/base_lock.h"
#include "support/base_writer.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every name under a folder with its bytes and time of change, the folder's own included.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> seen;
    const auto stamp = [](const fs::path& path) {
        return std::to_string(fs::last_write_time(path).time_since_epoch().count());
    };
    seen["."] = stamp(folder);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string& what = seen[fs::relative(entry.path(), folder).string()];
        what = stamp(entry.path());
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            what += std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return seen;
}

class SingleStart : public testing::Test, protected test::BaseFolder {
protected:
    void SetUp() override { WriteOneDialogueBase(); }
};

// The program started as a user starts it, on the same base.
TEST_F(SingleStart, ASecondStartHandsOverAndWritesNothing) {
    if (fs::exists(TUMBO_REGISTRY_FILE)) {
        GTEST_SKIP() << TUMBO_REGISTRY_FILE << " names another data folder on this machine";
    }
    // A socket left by a holder that was killed is no obstacle.
    const QString server = SingleInstance::ServerPathFor(dir.path().string());
    std::ofstream(server.toStdString()) << "stale";

    const auto lock = BaseLock::TryAcquire(dir.path().string());
    ASSERT_NE(lock, nullptr);
    SingleInstance first(dir.path().string());
    first.Listen();
    QSignalSpy activated(&first, &SingleInstance::activationRequested);
    const auto before = Snapshot(dir.path());

    // The program finds its folder as $XDG_DATA_HOME/tumbo3.
    test::TempDir dataHome;
    fs::create_directory_symlink(dir.path(), dataHome.path() / "tumbo3");
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", QString::fromStdString(dataHome.path().string()));
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QSignalSpy finished(&second, &QProcess::finished);
    second.start(TUMBO_PROGRAM, {});
    ASSERT_TRUE(finished.wait(20'000)) << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(activated.count(), 1) << "the running window was asked to the front";
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(SingleStart, AHolderThatDoesNotAnswerIsReported) {
    const auto held = BaseLock::TryAcquire(dir.path().string());
    ASSERT_NE(held, nullptr);
    const auto before = Snapshot(dir.path());
    SingleInstance late(dir.path().string());
    EXPECT_FALSE(late.HandOver(300ms));
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(SingleStart, TwoBasesRunSideBySide) {
    test::TempDir other;
    const Opened one = Session::Open(dir.path().string());
    const Opened two = Session::Open(other.path().string());
    EXPECT_TRUE(one.session);
    EXPECT_TRUE(two.session);
    EXPECT_NE(SingleInstance::ServerPathFor(dir.path().string()),
              SingleInstance::ServerPathFor(other.path().string()));
    EXPECT_EQ(SingleInstance::ServerPathFor(dir.prefix() + "."),
              SingleInstance::ServerPathFor(dir.path().string()));
}

}  // namespace
}  // namespace tumbo
