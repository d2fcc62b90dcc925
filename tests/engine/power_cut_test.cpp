#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iostream>
#include <optional>
#include <string>

#include "engine/base_editor.h"
#include "engine/base_install.h"
#include "platform/errors.h"
#include "support/crash_scenario.h"
#include "support/durable_memory_file_calls.h"
#include "support/engine_fixture.h"

namespace tumbo {
namespace {

using test::CrLfLines;

using namespace test::crash_scenario;

const std::string kSavedOptions = CrLfLines({"renamed", "false", "70", "1"});

// Each scenario runs once whole to count its file calls, then on a fresh base with the
// power cut at each call, and once more cut just after the last. The disk must then hold
// the old base or the new one, with everything the scenario had finished, and a program
// started on it must answer and learn.
class PowerCut : public testing::Test {
protected:
    // Where a first start installs the base: the folders above it are still to be made.
    const std::string base_ = "/home/me/.local/share/tumbo3/";

    test::DurableMemoryFileCalls& Disk() { return *disk_; }
    std::string Read(const std::string& name) {
        return Disk().Read(base_ + name).value_or("<missing>");
    }
    bool Exists(const std::string& name) { return Disk().Exists(base_ + name); }

    void NewDisk() { disk_.emplace(); }

    void WriteBase(bool twoDialogues = false) {
        NewDisk();
        Disk().Put(base_ + "opt.tmb", twoDialogues ? kLearntOptions : kOldOptions);
        Disk().Put(base_ + "dlg/1.dlg", kDialogue1);
        if (twoDialogues) {
            Disk().Put(base_ + "dlg/2.dlg", kDialogue2);
        }
        Disk().Put(base_ + "path.tmb", twoDialogues ? kNewPathList : kOldPathList);
    }

    // `run` works on the disk with the power cut at the call it is given; `check` looks at
    // what the disk kept. Returns the number of cut points.
    int CutAtEveryCall(const std::function<void()>& write, const std::function<void(int)>& run,
                       const std::function<void()>& check) {
        write();
        run(INT_MAX);
        // Counted once the run's objects are gone, whose destructors may make calls too.
        const int points = Disk().Calls() + 1;
        for (int cutAt = 1; cutAt <= points && !HasFatalFailure(); ++cutAt) {
            SCOPED_TRACE("power cut at call " + std::to_string(cutAt) + " of " +
                         std::to_string(points - 1));
            write();
            run(cutAt);
            Disk().Restart();
            check();
        }
        RecordProperty("power_cut_points", points);
        std::cout << "[ power cuts ] " << points << " cut points\n";
        return points;
    }

    // Runs `steps` with the power cut at `cutAt`; only the cut may make a step fail.
    void Survive(int cutAt, const std::function<void()>& steps) {
        Disk().CutPowerAt(cutAt);
        try {
            steps();
        } catch (const TumboError& error) {
            EXPECT_GE(Disk().Calls(), cutAt) << "only the cut may fail: " << error.what();
        }
    }

    // A new version written beside a file becomes durable only if its folder is synced
    // before the rename: nothing does that, so none may be left.
    void ExpectNoTemporaries() {
        for (const std::string folder : {"", "dlg", "dlg/forgotten"}) {
            for (const std::string& name : Disk().Names(base_ + folder)) {
                EXPECT_EQ(name.find(".tmp"), std::string::npos) << folder << "/" << name;
            }
        }
    }

    // The next start answers from the base, and the next lesson is stored and answers.
    void ExpectNextStartLearns(bool learnt) {
        test::FakeClock clock;
        Engine engine(clock, Disk());
        test::FakeWindow window(engine);
        ASSERT_NO_THROW(test::StartOnBase(engine, base_));
        const auto say = [&](const std::string& phrase) { return window.Say(phrase); };
        EXPECT_EQ(say("known"), "Tumbo:yes");
        if (learnt) {
            EXPECT_EQ(say("unknown"), "Tumbo:first reply");
            EXPECT_EQ(say("second"), "Tumbo:second reply");
        }
        say("later");
        ASSERT_TRUE(window.teachPanelVisible);
        window.teachFields[4] = "later reply";
        ASSERT_NO_THROW(window.ConfirmTeaching());
        EXPECT_EQ(say("later"), "Tumbo:later reply");
    }

    // Set by a run: what it had finished before the cut. A step that ends after the cut
    // has finished nothing the user could see.
    bool finished = false;
    bool forgetFinished = false;

private:
    std::optional<test::DurableMemoryFileCalls> disk_;
};

TEST_F(PowerCut, ALessonIsOnTheDiskWholeOrNotAtAll) {
    const auto teach = [&](int cutAt) {
        test::FakeClock clock;
        Engine engine(clock, Disk());
        test::FakeWindow window(engine);
        test::StartOnBase(engine, base_);
        finished = false;
        Survive(cutAt, [&] {
            window.input = "unknown";
            window.SendPhrase();
            window.teachFields[4] = "first reply";
            window.NextTurn();
            window.teachFields[0] = "second";
            window.teachFields[4] = "second reply";
            window.ConfirmTeaching();
            finished = !Disk().PowerWentOff();
        });
    };
    const auto check = [&] {
        const std::string pathList = Read("path.tmb");
        ASSERT_TRUE(pathList == kOldPathList || pathList == kNewPathList) << pathList;
        const bool learnt = pathList == kNewPathList;
        const std::string options = Read("opt.tmb");
        // The count is saved after the path list, so it may lag behind it, never lead.
        EXPECT_TRUE(options == kOldOptions || (learnt && options == kLearntOptions)) << options;
        if (finished) {
            EXPECT_TRUE(learnt) << "a lesson the window called learnt is on the disk";
            EXPECT_EQ(options, kLearntOptions);
        }
        EXPECT_EQ(Read("dlg/1.dlg"), kDialogue1);
        if (learnt || Exists("dlg/2.dlg")) {
            EXPECT_EQ(Read("dlg/2.dlg"), kDialogue2) << "a dialogue file is only ever whole";
        }
        ExpectNoTemporaries();
        ExpectNextStartLearns(learnt);
    };
    EXPECT_GT(CutAtEveryCall([&] { WriteBase(); }, teach, check), 30);
}

TEST_F(PowerCut, SavedSettingsAreTheOldOrTheNew) {
    const auto save = [&](int cutAt) {
        test::FakeClock clock;
        Engine engine(clock, Disk());
        test::FakeWindow window(engine);
        test::StartOnBase(engine, base_);
        window.LoadOptions();
        finished = false;
        Survive(cutAt, [&] {
            window.controls.UserName = "renamed";
            window.SaveOptions();
            finished = !Disk().PowerWentOff();
        });
    };
    const auto check = [&] {
        const std::string options = Read("opt.tmb");
        EXPECT_TRUE(options == kOldOptions || options == kSavedOptions) << options;
        if (finished) {
            EXPECT_EQ(options, kSavedOptions) << "saved settings are on the disk";
        }
        ExpectNoTemporaries();
        ExpectNextStartLearns(false);
    };
    EXPECT_GT(CutAtEveryCall([&] { WriteBase(); }, save, check), 10);
}

// The base window forgets dialogue 2 (which the conversation is in), then saves dialogue 1
// edited.
TEST_F(PowerCut, ForgettingAndEditingLeaveTheOldOrTheNewBase) {
    const auto forgetAndEdit = [&](int cutAt) {
        test::FakeClock clock;
        Engine engine(clock, Disk());
        BaseEditor editor(engine, Disk());
        test::FakeWindow window(engine);
        test::StartOnBase(engine, base_);
        window.input = "unknown";
        window.SendPhrase();
        finished = forgetFinished = false;
        Survive(cutAt, [&] {
            editor.Forget("dlg\\2.dlg");
            forgetFinished = !Disk().PowerWentOff();
            editor.Save("dlg\\1.dlg", {"$known", "$ALSO", "#yes, edited"});
            finished = !Disk().PowerWentOff();
        });
    };
    const auto check = [&] {
        const std::string pathList = Read("path.tmb");
        ASSERT_TRUE(pathList == kNewPathList || pathList == kOldPathList) << pathList;
        const bool forgotten = pathList == kOldPathList;
        const std::string options = Read("opt.tmb");
        EXPECT_TRUE(options == kLearntOptions || (forgotten && options == kOldOptions)) << options;
        const std::string dialogue1 = Read("dlg/1.dlg");
        EXPECT_TRUE(dialogue1 == kDialogue1 || (forgotten && dialogue1 == kEditedDialogue1))
            << dialogue1;
        // The forgotten file is never lost: in place, moved aside, or briefly both.
        if (!forgotten || Exists("dlg/2.dlg")) {
            EXPECT_EQ(Read("dlg/2.dlg"), kDialogue2);
        } else {
            EXPECT_EQ(Read("dlg/forgotten/2.dlg"), kDialogue2);
        }
        if (forgotten || Exists("forgotten.tmb")) {
            EXPECT_EQ(Read("forgotten.tmb"), kForgottenOpeners);
        }
        if (forgetFinished) {
            EXPECT_TRUE(forgotten) << "a forgotten dialogue stays forgotten";
            EXPECT_EQ(options, kOldOptions);
            EXPECT_FALSE(Exists("dlg/2.dlg")) << "a forgotten file is moved aside for good";
            EXPECT_EQ(Read("dlg/forgotten/2.dlg"), kDialogue2);
        }
        if (finished) {
            EXPECT_EQ(dialogue1, kEditedDialogue1) << "a saved edit is on the disk";
        }
        ExpectNoTemporaries();

        // The next start answers from what the base holds, and forgets and edits again.
        test::FakeClock clock;
        Engine engine(clock, Disk());
        BaseEditor editor(engine, Disk());
        test::FakeWindow window(engine);
        ASSERT_NO_THROW(test::StartOnBase(engine, base_));
        const auto say = [&](const std::string& phrase) { return window.SayOrLeave(phrase); };
        EXPECT_EQ(say("known"), dialogue1 == kDialogue1 ? "Tumbo:yes" : "Tumbo:yes, edited");
        EXPECT_EQ(say("unknown"), forgotten ? "<teach>" : "Tumbo:first reply");
        if (!forgotten) {
            ASSERT_NO_THROW(editor.Forget("dlg\\2.dlg"));
        }
        ASSERT_NO_THROW(editor.Save("dlg\\1.dlg", {"$known", "#again"}));
        EXPECT_EQ(say("known"), "Tumbo:again");
        EXPECT_EQ(say("unknown"), "<teach>");
        EXPECT_EQ(Read("path.tmb"), kOldPathList);
    };
    EXPECT_GT(CutAtEveryCall([&] { WriteBase(true); }, forgetAndEdit, check), 30);
}

// A first start installs the bundled base. Cut anywhere, the disk holds no base or a whole
// one, whole for good once the install said so; the next start installs what is missing
// and answers and learns.
TEST_F(PowerCut, AFirstInstallLeavesNoBaseOrAWholeOne) {
    const std::string bundled = "/usr/share/tumbo3/base";
    const std::string folder = base_.substr(0, base_.size() - 1);
    const auto writeBundled = [&] {
        NewDisk();
        Disk().Put(bundled + "/opt.tmb", kOldOptions);
        Disk().Put(bundled + "/dlg/1.dlg", kDialogue1);
        Disk().Put(bundled + "/path.tmb", kOldPathList);
        Disk().Put(bundled + "/version", "3.0.0\n");
        Disk().MakeFolders("/home/me");
    };
    const auto install = [&](int cutAt) {
        finished = false;
        Survive(cutAt, [&] {
            finished = InstallBundledBase(bundled, folder, Disk()) == InstallResult::kInstalled &&
                       !Disk().PowerWentOff();
        });
    };
    const auto expectWhole = [&] {
        EXPECT_EQ(Read("opt.tmb"), kOldOptions);
        EXPECT_EQ(Read("dlg/1.dlg"), kDialogue1);
        EXPECT_EQ(Read("path.tmb"), kOldPathList);
        EXPECT_EQ(Read(".bundled-version"), "3.0.0\n");
    };
    const auto check = [&] {
        if (finished || Disk().Exists(folder)) {
            expectWhole();
        }
        EXPECT_NE(InstallBundledBase(bundled, folder, Disk()), InstallResult::kInstalling);
        expectWhole();
        EXPECT_EQ(Disk().Names("/home/me/.local/share"), std::set<std::string>{"tumbo3"})
            << "nothing half-built is left beside it";
        ExpectNoTemporaries();
        ExpectNextStartLearns(false);
    };
    EXPECT_GT(CutAtEveryCall(writeBundled, install, check), 30);
}

}  // namespace
}  // namespace tumbo
