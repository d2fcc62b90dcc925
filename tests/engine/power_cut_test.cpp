#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "engine/base_install.h"
#include "platform/errors.h"
#include "support/crash_scenario.h"
#include "support/durable_memory_file_calls.h"
#include "support/power_cuts.h"

namespace tumbo {
namespace {

using test::CrLfLines;
using test::Stop;

using namespace test::crash_scenario;

const std::string kSavedOptions = CrLfLines({"renamed", "false", "70", "1"});

// Each scenario is stopped at each of its file calls, by a power cut and by a kill. The disk
// must then hold the old base or the new one, with everything the scenario had finished, and
// a program started on it must answer and learn.
class PowerCut : public testing::Test {
protected:
    // Where a first start installs the base: the folders above it are still to be made.
    const std::string base_ = "/home/me/.local/share/tumbo3/";

    test::DurableMemoryFileCalls& Disk() { return *disk_; }
    std::string Read(const std::string& name) {
        return Disk().Read(base_ + name).value_or("<missing>");
    }
    bool Exists(const std::string& name) { return Disk().Exists(base_ + name); }

    test::DurableMemoryFileCalls& NewDisk() { return disk_.emplace(); }
    test::DurableMemoryFileCalls& WriteBase(bool twoDialogues = false) {
        NewDisk();
        Disk().Put(base_ + "opt.tmb", twoDialogues ? kLearntOptions : kOldOptions);
        Disk().Put(base_ + "dlg/1.dlg", kDialogue1);
        if (twoDialogues) {
            Disk().Put(base_ + "dlg/2.dlg", kDialogue2);
        }
        Disk().Put(base_ + "path.tmb", twoDialogues ? kNewPathList : kOldPathList);
        return Disk();
    }

    // Runs `steps` stopped at `stopAt`; only the stop may make a step fail.
    void Survive(int stopAt, const std::function<void()>& steps) {
        Disk().CutPowerAt(stopAt);
        try {
            steps();
        } catch (const TumboError& error) {
            EXPECT_TRUE(Disk().PowerWentOff()) << "only the stop may fail: " << error.what();
        }
    }

    // A new version written beside a file becomes durable only if its folder is synced
    // before the rename, which nothing does: a power cut leaves none. What a killed run left
    // goes at the next start.
    void ExpectNoTemporaries(Stop stop) {
        if (stop == Stop::kKill) {
            Engine::RemoveStaleTemporaries(base_, Disk());
        }
        for (const std::string folder : {"", "dlg", "dlg/forgotten"}) {
            for (const std::string& name : Disk().Names(base_ + folder)) {
                EXPECT_EQ(name.find(".tmp"), std::string::npos) << folder << "/" << name;
            }
        }
    }

    void ExpectNextStartLearns(bool learnt) {
        if (learnt) {
            ExpectAnswersAndLearns(Disk(), base_,
                                   {{"known", "Tumbo:yes"},
                                    {"unknown", "Tumbo:first reply"},
                                    {"second", "Tumbo:second reply"}});
        } else {
            ExpectAnswersAndLearns(Disk(), base_, {{"known", "Tumbo:yes"}});
        }
    }

    // Set by a run: what it had finished before the stop. A step that ends after the stop
    // has finished nothing the user could see.
    bool finished = false;
    bool forgetFinished = false;

private:
    std::optional<test::DurableMemoryFileCalls> disk_;
};

TEST_F(PowerCut, ALessonIsOnTheDiskWholeOrNotAtAll) {
    const auto teach = [&](int stopAt) {
        Program program(Disk(), base_);
        finished = false;
        Survive(stopAt, [&] {
            TeachTwoTurns(program.window);
            finished = !Disk().PowerWentOff();
        });
    };
    const auto check = [&](Stop stop) {
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
        ExpectNoTemporaries(stop);
        // The next start sets a count that lags behind the path list from it.
        { Program next(Disk(), base_); }
        EXPECT_EQ(Read("opt.tmb"), learnt ? kLearntOptions : kOldOptions);
        ExpectNextStartLearns(learnt);
    };
    EXPECT_GT(test::StopAtEveryCall(
                  [&]() -> auto& { return WriteBase(); }, teach, check),
              30);
}

TEST_F(PowerCut, SavedSettingsAreTheOldOrTheNew) {
    const auto save = [&](int stopAt) {
        Program program(Disk(), base_);
        program.window.LoadOptions();
        finished = false;
        Survive(stopAt, [&] {
            program.window.controls.UserName = "renamed";
            program.window.SaveOptions();
            finished = !Disk().PowerWentOff();
        });
    };
    const auto check = [&](Stop stop) {
        const std::string options = Read("opt.tmb");
        EXPECT_TRUE(options == kOldOptions || options == kSavedOptions) << options;
        if (finished) {
            EXPECT_EQ(options, kSavedOptions) << "saved settings are on the disk";
        }
        ExpectNoTemporaries(stop);
        ExpectNextStartLearns(false);
    };
    EXPECT_GT(test::StopAtEveryCall(
                  [&]() -> auto& { return WriteBase(); }, save, check),
              10);
}

// The base window forgets dialogue 2 (which the conversation is in), then saves dialogue 1
// edited.
TEST_F(PowerCut, ForgettingAndEditingLeaveTheOldOrTheNewBase) {
    const auto forgetAndEdit = [&](int stopAt) {
        Program program(Disk(), base_);
        program.window.Say("unknown");
        finished = forgetFinished = false;
        Survive(stopAt, [&] {
            program.session.Forget("dlg\\2.dlg");
            forgetFinished = !Disk().PowerWentOff();
            program.session.Save("dlg\\1.dlg", {"$known", "$ALSO", "#yes, edited"});
            finished = !Disk().PowerWentOff();
        });
    };
    const auto check = [&](Stop stop) {
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
        ExpectNoTemporaries(stop);

        // The next start answers from what the base holds, and forgets and edits again.
        Program next(Disk(), base_);
        // It finishes a forget the stop cut short, and sets the count from the path list.
        EXPECT_EQ(Read("opt.tmb"), forgotten ? kOldOptions : kLearntOptions);
        if (forgotten) {
            EXPECT_FALSE(Exists("dlg/2.dlg"));
            EXPECT_EQ(Read("dlg/forgotten/2.dlg"), kDialogue2);
        }
        const auto say = [&](const std::string& phrase) { return next.window.SayOrLeave(phrase); };
        EXPECT_EQ(say("known"), dialogue1 == kDialogue1 ? "Tumbo:yes" : "Tumbo:yes, edited");
        EXPECT_EQ(say("unknown"), forgotten ? "<teach>" : "Tumbo:first reply");
        if (!forgotten) {
            ASSERT_FALSE(next.session.Forget("dlg\\2.dlg"));
        }
        ASSERT_FALSE(next.session.Save("dlg\\1.dlg", {"$known", "#again"}));
        EXPECT_EQ(say("known"), "Tumbo:again");
        EXPECT_EQ(say("unknown"), "<teach>");
        EXPECT_EQ(Read("path.tmb"), kOldPathList);
    };
    EXPECT_GT(test::StopAtEveryCall(
                  [&]() -> auto& { return WriteBase(true); }, forgetAndEdit, check),
              30);
}

// A first start installs the bundled base. Stopped anywhere, the disk holds no base or a
// whole one, whole for good once the install said so; the next start installs what is
// missing and answers and learns.
TEST_F(PowerCut, AFirstInstallLeavesNoBaseOrAWholeOne) {
    const std::string bundled = "/usr/share/tumbo3/base";
    const std::string folder = base_.substr(0, base_.size() - 1);
    const auto writeBundled = [&]() -> auto& {
        NewDisk();
        Disk().Put(bundled + "/opt.tmb", kOldOptions);
        Disk().Put(bundled + "/dlg/1.dlg", kDialogue1);
        Disk().Put(bundled + "/path.tmb", kOldPathList);
        Disk().Put(bundled + "/version", "3.0.0\n");
        Disk().Put(bundled + "/words.tmb", "hey=hi\r\n");
        Disk().MakeFolders("/home/me");
        return Disk();
    };
    const auto install = [&](int stopAt) {
        finished = false;
        Survive(stopAt, [&] {
            finished = InstallBundledBase(bundled, folder, Disk()) == InstallResult::kInstalled &&
                       !Disk().PowerWentOff();
        });
    };
    const auto expectWhole = [&] {
        EXPECT_EQ(Read("opt.tmb"), kOldOptions);
        EXPECT_EQ(Read("dlg/1.dlg"), kDialogue1);
        EXPECT_EQ(Read("path.tmb"), kOldPathList);
        EXPECT_EQ(Read(".bundled-version"), "3.0.0\n");
        EXPECT_EQ(Read("words.tmb"), "hey=hi\r\n");
    };
    const auto check = [&](Stop stop) {
        if (finished || Disk().Exists(folder)) {
            expectWhole();
        }
        EXPECT_NE(InstallBundledBase(bundled, folder, Disk()), InstallResult::kInstalling);
        expectWhole();
        EXPECT_EQ(Disk().Names("/home/me/.local/share"), std::set<std::string>{"tumbo3"})
            << "nothing half-built is left beside it";
        ExpectNoTemporaries(stop);
        ExpectNextStartLearns(false);
    };
    EXPECT_GT(test::StopAtEveryCall(writeBundled, install, check), 30);
}

}  // namespace
}  // namespace tumbo
