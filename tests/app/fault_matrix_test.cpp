#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "support/failing_file_calls.h"
#include "support/window_fixture.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"

namespace tumbo {
namespace {

using Call = test::FailingFileCalls::Call;
using test::CrLfLines;

// Every write the program makes, failing at every step: each ends in its error box, the
// window goes on working, and the disk holds the old state or the whole new one.
struct Fault {
    const char* name;
    const char* file;
    Call call;
    int err;
    const char* message;
};

std::string Name(const testing::TestParamInfo<Fault>& row) {
    return row.param.name;
}

class FaultMatrix : public test::WindowTest, public testing::WithParamInterface<Fault> {
protected:
    void SetUp() override {
        WriteOptions("me", 1);
        WriteDialogue(1, {"$known", "#yes", "#END"});
        WritePathList(1);
        OpenLoaded(calls);
    }
    void Arm() {
        const Fault& fault = GetParam();
        calls.FailAt(fault.call, fault.err, 1, fault.file);
    }
    void ExpectOneBox() {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.toStdString(), GetParam().message);
        boxes.clear();
        calls.Heal();
    }
    // A taught dialogue whose reply is long enough to fill the write buffer.
    void TeachUnknown() {
        Type("unknown");
        form->Frame21->Edit5->setText(QString(200, 'r'));
    }
    void ExpectBaseUntouched() {
        EXPECT_EQ(dir.Read("path.tmb"), CrLfLines({"dlg\\1.dlg"}));
        EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "70", "1"}));
        EXPECT_FALSE(dir.Exists("dlg/2.dlg"));
        EXPECT_EQ(form->Label2->text(), QString::fromUtf8("диологов в базе:1"));
        EXPECT_TRUE(form->Frame21->isVisible());
    }
    void ExpectLearntOnce() {
        EXPECT_EQ(dir.Read("dlg/2.dlg"),
                  CrLfLines({"$unknown", "#" + std::string(200, 'r'), "#END"}));
        EXPECT_EQ(dir.Read("path.tmb"), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg"}));
        EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "70", "2"}));
        EXPECT_FALSE(form->Frame21->isVisible());
        Type("unknown");
        EXPECT_EQ(ChatLines().last(), "Tumbo:" + QString(200, 'r'));
    }

    test::FailingFileCalls calls;
};

class OptionFileFault : public FaultMatrix {};

TEST_P(OptionFileFault, SettingsKeepTheOldFile) {
    form->N2->trigger();
    form->Frame31->Edit1->setText("new name");
    Arm();
    QTest::mouseClick(form->Frame31->BitBtn1, Qt::LeftButton);
    ExpectOneBox();
    EXPECT_TRUE(form->Frame31->isVisible());
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "70", "1"}));
    EXPECT_TRUE(dir.Leftovers().empty());
    QTest::mouseClick(form->Frame31->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"new name", "false", "70", "1"}));
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, OptionFileFault,
    testing::Values(Fault{"Open", "opt.tmb", Call::kOpen, EACCES, "File access denied."},
                    Fault{"Write", "opt.tmb", Call::kWrite, EIO, "I/O error 1005."},
                    Fault{"DiskFull", "opt.tmb", Call::kWrite, ENOSPC, "I/O error 112."},
                    Fault{"Sync", "opt.tmb", Call::kFsync, EIO, "I/O error 1005."},
                    Fault{"Mode", "opt.tmb", Call::kFchmod, EPERM, "File access denied."},
                    Fault{"Rename", "opt.tmb", Call::kRename, EACCES, "File access denied."}),
    Name);

class ConfirmFault : public FaultMatrix {};

TEST_P(ConfirmFault, NothingIsLearntUntilItCanBeLearntWhole) {
    TeachUnknown();
    Arm();
    QTest::mouseClick(form->Frame21->BitBtn1, Qt::LeftButton);
    ExpectOneBox();
    ExpectBaseUntouched();
    EXPECT_EQ(form->Frame21->Edit1->text(), "unknown") << "what was typed is still there";
    QTest::mouseClick(form->Frame21->BitBtn1, Qt::LeftButton);
    EXPECT_TRUE(boxes.empty());
    ExpectLearntOnce();
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ConfirmFault,
    testing::Values(
        Fault{"ScratchWrite", "temp.dlg", Call::kWrite, ENOSPC, "I/O error 112."},
        Fault{"ScratchClose", "temp.dlg", Call::kClose, EIO, "I/O error 1005."},
        Fault{"DialogueOpen", "dlg/2.dlg.tmp", Call::kOpen, EACCES, "File access denied."},
        Fault{"DialogueWrite", "dlg/2.dlg", Call::kWrite, ENOSPC, "I/O error 112."},
        Fault{"DialogueSync", "dlg/2.dlg", Call::kFsync, EIO, "I/O error 1005."},
        Fault{"DialogueLookup", "dlg/2.dlg", Call::kLstat, EACCES, "File access denied."},
        Fault{"DialogueMove", "dlg/2.dlg", Call::kRenameNoReplace, EEXIST, "I/O error 1017."},
        Fault{"PathListEnd", "path.tmb", Call::kLseek, EIO, "I/O error 1005."},
        Fault{"PathListLastByte", "path.tmb", Call::kPread, EIO, "I/O error 1005."},
        Fault{"PathListOpen", "path.tmb", Call::kOpen, EACCES, "File access denied."},
        Fault{"PathListWrite", "path.tmb", Call::kWrite, ENOSPC, "I/O error 112."},
        Fault{"PathListSync", "path.tmb", Call::kFsync, EIO, "I/O error 1005."},
        Fault{"PathListSyncFull", "path.tmb", Call::kFsync, ENOSPC, "I/O error 112."}),
    Name);

// The new dialogue's name must be on the disk before the path list names it.
TEST_F(FaultMatrix, AFolderThatCannotBeSyncedTeachesNothing) {
    TeachUnknown();
    // The first sync under dlg/ is the new file's own, the second its folder's.
    calls.FailAt(Call::kFsync, EIO, 2, "/dlg/");
    QTest::mouseClick(form->Frame21->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "I/O error 1005.");
    EXPECT_TRUE(boxes[0].details.startsWith("Operation: sync the folder of"))
        << boxes[0].details.toStdString();
    boxes.clear();
    calls.Heal();
    ExpectBaseUntouched();
    EXPECT_TRUE(dir.Leftovers("dlg").empty());
    QTest::mouseClick(form->Frame21->BitBtn1, Qt::LeftButton);
    ExpectLearntOnce();
}

// An option file that could not be read is never replaced until a copy of it is safe.
TEST_F(FaultMatrix, NoSettingsSaveWithoutACopyOfAnUnreadableFile) {
    dir.Write("opt.tmb", CrLfLines({"me", "false", "7O", "1"}));
    form.reset();
    boxes.clear();
    OpenLoaded(calls);
    ASSERT_EQ(boxes.size(), 1u) << "the start reports the bad file";
    boxes.clear();
    form->N2->trigger();
    calls.FailAt(Call::kWrite, ENOSPC, 1, "opt.tmb.bak");
    QTest::mouseClick(form->Frame31->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "I/O error 112.");
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"me", "false", "7O", "1"}));
    EXPECT_FALSE(dir.Exists("opt.tmb.bak"));
    calls.Heal();
    QTest::mouseClick(form->Frame31->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(dir.Read("opt.tmb.bak"), CrLfLines({"me", "false", "7O", "1"}));
    EXPECT_TRUE(dir.Leftovers().empty());
}

TEST_F(FaultMatrix, AFullDiskDuringATurnLetsTheTurnBeTakenAgain) {
    TeachUnknown();
    // The turn's lines overflow the scratch dialogue's buffer, so it writes at once.
    calls.FailAt(Call::kWrite, ENOSPC, 1, "temp.dlg");
    QTest::mouseClick(form->Frame21->BitBtn4, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "I/O error 112.");
    EXPECT_EQ(form->Frame21->Edit5->text(), QString(200, 'r'));
    calls.Heal();
    QTest::mouseClick(form->Frame21->BitBtn4, Qt::LeftButton);
    form->Frame21->Edit1->setText("more");
    form->Frame21->Edit5->setText("again");
    QTest::mouseClick(form->Frame21->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(dir.Read("dlg/2.dlg"),
              CrLfLines({"$unknown", "#" + std::string(200, 'r'), "$more", "#again", "#END"}));
}

// Files that matter are synced before they are closed; a close failing after that loses
// nothing, so the dialogue is learnt, once.
class SyncedCloseFault : public FaultMatrix {};

TEST_P(SyncedCloseFault, StillLearnsOnce) {
    TeachUnknown();
    Arm();
    QTest::mouseClick(form->Frame21->BitBtn1, Qt::LeftButton);
    calls.Heal();
    EXPECT_TRUE(boxes.empty());
    ExpectLearntOnce();
}

INSTANTIATE_TEST_SUITE_P(EveryFile, SyncedCloseFault,
                         testing::Values(Fault{"Dialogue", "dlg/2.dlg", Call::kClose, EIO, ""},
                                         Fault{"PathList", "path.tmb", Call::kClose, EIO, ""},
                                         Fault{"Options", "opt.tmb", Call::kClose, EIO, ""}),
                         Name);

TEST_F(FaultMatrix, AScratchDialogueThatCannotBeOpenedKeepsTheChatGoing) {
    calls.FailAt(Call::kOpen, EACCES, 1, "temp.dlg");
    Type("unknown");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "File access denied.");
    EXPECT_FALSE(form->Frame21->isVisible());
    calls.Heal();
    Type("known");
    EXPECT_EQ(ChatLines().last(), "Tumbo:yes");
}

}  // namespace
}  // namespace tumbo
