#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "support/crash_scenario.h"
#include "support/engine_fixture.h"
#include "support/failing_file_calls.h"

namespace tumbo {
namespace {

using test::CrLfLines;

using namespace test::crash_scenario;

const std::string kSavedOptions = CrLfLines({"renamed", "false", "70", "2"});

class CrashPoint : public testing::Test {
protected:
    void WriteBase() {
        dir.Clear();
        dir.Write("opt.tmb", kOldOptions);
        dir.Write("dlg/1.dlg", kDialogue1);
        dir.Write("path.tmb", kOldPathList);
    }

    // A two-turn lesson and then a settings save, through `calls`, stopping wherever the
    // calls die. Returns how many calls were made.
    int TeachAndSave(int crashAt) {
        test::FailingFileCalls calls;
        test::FakeClock clock;
        const Opened opened = test::OpenSession(dir.path().string(), clock, calls);
        test::TestWindow window(*opened.session);
        calls.FailAt(test::FailingFileCalls::Call::kAny, EIO, crashAt);
        try {
            TeachTwoTurns(window);
            window.controls.UserName = "renamed";
            window.SaveOptions();
        } catch (const TumboError&) {
            EXPECT_GE(calls.Uses(), crashAt) << "only the crash may fail";
        }
        return calls.Uses();
    }

    // What a fresh start finds: every file old or new, and every dialogue answering.
    void ExpectSoundAfterCrash(int crashAt) {
        const std::string options = dir.Read("opt.tmb");
        EXPECT_TRUE(options == kOldOptions || options == kLearntOptions || options == kSavedOptions)
            << options;
        const std::string pathList = dir.Read("path.tmb");
        ASSERT_TRUE(pathList == kOldPathList || pathList == kNewPathList) << pathList;
        EXPECT_EQ(dir.Read("dlg/1.dlg"), kDialogue1);
        const bool learnt = pathList == kNewPathList;
        if (learnt || dir.Exists("dlg/2.dlg")) {
            EXPECT_EQ(dir.Read("dlg/2.dlg"), kDialogue2) << "a dialogue file is only ever whole";
        }
        for (const auto& name : dir.Names("dlg")) {
            EXPECT_TRUE(name == "1.dlg" || name == "2.dlg" || name == "2.dlg.tmp") << name;
        }

        // The next lesson finds a base it can build on, and leaves nothing behind.
        std::vector<std::pair<std::string, std::string>> replies{{"known", "Tumbo:yes"}};
        if (learnt) {
            replies.insert(replies.end(),
                           {{"unknown", "Tumbo:first reply"}, {"second", "Tumbo:second reply"}});
        }
        ExpectAnswersAndLearns(SystemFileCalls(), dir.prefix(), replies);
        EXPECT_TRUE(dir.Leftovers().empty());
        EXPECT_TRUE(dir.Leftovers("dlg").empty());
        SCOPED_TRACE("crash at call " + std::to_string(crashAt));
    }

    test::TempDir dir;
};

TEST_F(CrashPoint, AKillAtAnyFileCallLosesNothing) {
    WriteBase();
    const int calls = TeachAndSave(INT_MAX);
    ASSERT_EQ(dir.Read("opt.tmb"), kSavedOptions);
    ASSERT_EQ(dir.Read("path.tmb"), kNewPathList);
    ASSERT_GT(calls, 30);
    for (int crashAt = 1; crashAt <= calls; ++crashAt) {
        SCOPED_TRACE("crash at call " + std::to_string(crashAt) + " of " + std::to_string(calls));
        WriteBase();
        TeachAndSave(crashAt);
        ExpectSoundAfterCrash(crashAt);
    }
    RecordProperty("crash_points", calls);
    std::cout << "[ crash points ] " << calls << " file calls, each a crash point\n";
}

}  // namespace
}  // namespace tumbo
