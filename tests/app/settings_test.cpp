#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "support/failing_file_calls.h"
#include "support/window_fixture.h"
#include "ui/tframe3.h"

namespace tumbo {
namespace {

using test::CrLfLines;
using test::operator""_cp;

class Settings : public test::WindowTest {
protected:
    void OpenWith(const std::string& skin, const std::string& opacity) {
        dir.Write("opt.tmb", CrLfLines({u8"Аня"_cp, skin, opacity, "4"}));
        OpenLoaded();
        form->N2->trigger();
    }
    TFrame3* panel() const { return form->Frame31; }
};

TEST_F(Settings, AnOpaqueWindowWhateverTheStoredOpacity) {
    OpenWith("false", "20");
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_FALSE(panel()->CheckBox1->isChecked());
    EXPECT_FALSE(panel()->TrackBar1->isEnabled());
    EXPECT_EQ(panel()->TrackBar1->value(), 20);
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 1.0);
    EXPECT_EQ(panel()->Edit1->text(), QString::fromUtf8("Аня"));
}

TEST_F(Settings, TransparencyRunsFrom115To255) {
    OpenWith("true", "140");
    EXPECT_TRUE(panel()->CheckBox1->isChecked());
    EXPECT_TRUE(panel()->TrackBar1->isEnabled());
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 1.0);
    panel()->TrackBar1->setValue(0);
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 115 / 255.0) << "takes effect before any save";
}

TEST_F(Settings, AHandEditedOpacityCanNeverHideTheWindow) {
    OpenWith("true", "-500");
    EXPECT_EQ(panel()->TrackBar1->value(), 0);
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 115 / 255.0);
    dir.Write("opt.tmb", CrLfLines({"a", "true", "900", "4"}));
    form->FormCreate();
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 1.0);
}

TEST_F(Settings, LeavingRestoresWhatTheFileHolds) {
    OpenWith("true", "70");
    panel()->TrackBar1->setValue(10);
    panel()->CheckBox1->setChecked(false);
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 1.0);
    panel()->Edit1->setText("Someone");
    QTest::keyClick(panel()->Edit1, Qt::Key_Escape);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_TRUE(panel()->CheckBox1->isChecked());
    EXPECT_EQ(panel()->TrackBar1->value(), 70);
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 185 / 255.0);
    EXPECT_EQ(panel()->Edit1->text(), QString::fromUtf8("Аня"));
}

TEST_F(Settings, OkSavesFourLinesAndTheChatUsesTheNewName) {
    OpenWith("false", "70");
    panel()->Edit1->setText(QString::fromUtf8("Боря\nиз Твери"));
    panel()->CheckBox1->setChecked(true);
    panel()->TrackBar1->setValue(33);
    QTest::mouseClick(panel()->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({u8"Боря из Твери"_cp, "true", "33", "4"}));
    EXPECT_EQ(form->Label2->text(), QString::fromUtf8("диологов в базе:4"));
    EXPECT_EQ(form->ProgressBar1->maximum(), 4);
    EXPECT_DOUBLE_EQ(form->windowOpacity(), 148 / 255.0);
    dir.Write("path.tmb", "");
    Type("hi");
    EXPECT_TRUE(ChatLines().contains(QString::fromUtf8("Боря из Твери:hi")));
}

TEST_F(Settings, ANameTypedAtOnceReplacesTheOldOne) {
    OpenWith("false", "70");
    ASSERT_EQ(QApplication::focusWidget(), panel()->Edit1);
    QTest::keyClicks(QApplication::focusWidget(), "Bob");
    EXPECT_EQ(panel()->Edit1->text(), "Bob");
}

TEST_F(Settings, EnterInTheNameFieldNeverSends) {
    OpenWith("false", "70");
    dir.Write("path.tmb", "");
    form->Edit1->setText("typed earlier");
    panel()->Edit1->setFocus();
    QTest::keyClick(panel()->Edit1, Qt::Key_Return);
    EXPECT_TRUE(ChatLines().isEmpty());
    EXPECT_TRUE(panel()->isVisible());
}

TEST_F(Settings, AFailedSaveKeepsThePanelAndTheOldFile) {
    dir.Write("opt.tmb", CrLfLines({"old", "false", "70", "4"}));
    test::FailingFileCalls calls;
    Open(calls);
    test::LoadNow(*form);
    form->N2->trigger();
    calls.FailAt(test::FailingFileCalls::Call::kOpen, EACCES);
    panel()->Edit1->setText("new");
    QTest::mouseClick(panel()->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "File access denied.");
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({"old", "false", "70", "4"}));
    TearDown();  // while `calls` lives
}

}  // namespace
}  // namespace tumbo
