#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <string>

#include "engine/base_editor.h"
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
        Engine engine(clock, calls);
        test::FakeWindow window(engine);
        test::StartOnBase(engine, dir.prefix());
        calls.FailAt(test::FailingFileCalls::Call::kAny, EIO, crashAt);
        try {
            window.input = "unknown";
            window.SendPhrase();
            window.teachFields[4] = "first reply";
            window.NextTurn();
            window.teachFields[0] = "second";
            window.teachFields[4] = "second reply";
            window.ConfirmTeaching();
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

        test::FakeClock clock;
        Engine engine(clock);
        test::FakeWindow window(engine);
        test::StartOnBase(engine, dir.prefix());
        const auto say = [&](const std::string& phrase) { return window.Say(phrase); };
        EXPECT_EQ(say("known"), "Tumbo:yes");
        if (learnt) {
            EXPECT_EQ(say("unknown"), "Tumbo:first reply");
            EXPECT_EQ(say("second"), "Tumbo:second reply");
        }
        // The next lesson finds a base it can build on, and leaves nothing behind.
        say("later");
        ASSERT_TRUE(window.teachPanelVisible);
        window.teachFields[4] = "later reply";
        window.ConfirmTeaching();
        EXPECT_EQ(say("later"), "Tumbo:later reply");
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

// The base window's writes: forgetting dialogue 2 (which the conversation is in), then
// saving dialogue 1 edited.
const std::string kTwoOptions = CrLfLines({"me", "false", "70", "2"});
const std::string kTwoPathList = CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"});

class BaseWindowCrashPoint : public CrashPoint {
protected:
    void WriteTwoDialogueBase() {
        dir.Clear();
        dir.Write("opt.tmb", kTwoOptions);
        dir.Write("dlg/1.dlg", kDialogue1);
        dir.Write("dlg/2.dlg", kDialogue2);
        dir.Write("path.tmb", kTwoPathList);
    }

    int ForgetAndEdit(int crashAt) {
        test::FailingFileCalls calls;
        test::FakeClock clock;
        Engine engine(clock, calls);
        BaseEditor editor(engine, calls);
        test::FakeWindow window(engine);
        test::StartOnBase(engine, dir.prefix());
        window.input = "unknown";
        window.SendPhrase();
        calls.FailAt(test::FailingFileCalls::Call::kAny, EIO, crashAt);
        try {
            editor.Forget("dlg\\2.dlg");
            editor.Save("dlg\\1.dlg", {"$known", "$ALSO", "#yes, edited"});
        } catch (const TumboError&) {
            EXPECT_GE(calls.Uses(), crashAt) << "only the crash may fail";
        }
        return calls.Uses();
    }

    // Each file is its old or its new self; the dialogue is in the base exactly when the
    // path list names it, and its file is whole wherever it is.
    void ExpectSoundAfterForgetOrEdit() {
        const std::string pathList = dir.Read("path.tmb");
        ASSERT_TRUE(pathList == kTwoPathList || pathList == kOldPathList) << pathList;
        const bool forgotten = pathList == kOldPathList;
        const std::string options = dir.Read("opt.tmb");
        EXPECT_TRUE(options == kTwoOptions || (forgotten && options == kOldOptions)) << options;
        const std::string dialogue1 = dir.Read("dlg/1.dlg");
        EXPECT_TRUE(dialogue1 == kDialogue1 || (forgotten && dialogue1 == kEditedDialogue1))
            << dialogue1;
        if (!forgotten || dir.Exists("dlg/2.dlg")) {
            EXPECT_EQ(dir.Read("dlg/2.dlg"), kDialogue2) << "a listed dialogue stays in place";
        } else {
            EXPECT_EQ(dir.Read("dlg/forgotten/2.dlg"), kDialogue2);
        }
        if (forgotten || dir.Exists("forgotten.tmb")) {
            EXPECT_EQ(dir.Read("forgotten.tmb"), kForgottenOpeners);
        }

        // The next start answers from what the base holds, and forgets and edits again.
        test::FakeClock clock;
        Engine engine(clock);
        BaseEditor editor(engine);
        test::FakeWindow window(engine);
        test::StartOnBase(engine, dir.prefix());
        const auto say = [&](const std::string& phrase) { return window.SayOrLeave(phrase); };
        EXPECT_EQ(say("known"), dialogue1 == kDialogue1 ? "Tumbo:yes" : "Tumbo:yes, edited");
        EXPECT_EQ(say("unknown"), forgotten ? "<teach>" : "Tumbo:first reply");
        if (!forgotten) {
            editor.Forget("dlg\\2.dlg");
        }
        editor.Save("dlg\\1.dlg", {"$known", "#again"});
        EXPECT_EQ(say("known"), "Tumbo:again");
        EXPECT_EQ(say("unknown"), "<teach>");
        EXPECT_EQ(dir.Read("path.tmb"), kOldPathList);
        // A new version the crash left beside a file goes with that file's next rewrite.
        window.SaveOptions();
        EXPECT_TRUE(dir.Leftovers().empty());
        EXPECT_TRUE(dir.Leftovers("dlg").empty());
    }
};

TEST_F(BaseWindowCrashPoint, AKillWhileForgettingOrEditingLeavesTheOldOrTheNewBase) {
    WriteTwoDialogueBase();
    const int calls = ForgetAndEdit(INT_MAX);
    ASSERT_EQ(dir.Read("path.tmb"), kOldPathList);
    ASSERT_EQ(dir.Read("dlg/1.dlg"), kEditedDialogue1);
    ASSERT_EQ(dir.Read("opt.tmb"), kOldOptions);
    ASSERT_GT(calls, 30);
    for (int crashAt = 1; crashAt <= calls; ++crashAt) {
        SCOPED_TRACE("crash at call " + std::to_string(crashAt) + " of " + std::to_string(calls));
        WriteTwoDialogueBase();
        ForgetAndEdit(crashAt);
        ExpectSoundAfterForgetOrEdit();
    }
    std::cout << "[ crash points ] " << calls << " file calls, each a crash point\n";
}

}  // namespace
}  // namespace tumbo
