#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "support/window_fixture.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"

namespace tumbo {
namespace {

using test::CrLfLines;
using test::operator""_cp;

class TeachingPanel : public test::WindowTest {
protected:
    void SetUp() override {
        WriteOptions(u8"Аня"_cp, 1);
        WriteDialogue(1, {u8"$привет"_cp, u8"#Привет!"_cp, "#END"});
        WritePathList(1);
        OpenLoaded();
    }
    TFrame2* panel() const { return form->Frame21; }
    void TypeInto(QLineEdit* field, const QString& text) {
        field->setFocus();
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
};

TEST_F(TeachingPanel, ATaughtPhraseIsAnsweredRightAfterwards) {
    Type(QString::fromUtf8("Как погода"));
    ASSERT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->Edit1->text(), QString::fromUtf8("как погода"));
    EXPECT_TRUE(panel()->Edit5->hasFocus());
    TypeInto(panel()->Edit5, QString::fromUtf8("СОЛНЕЧНО"));
    QTest::mouseClick(panel()->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:Усвоил  :)"));
    EXPECT_EQ(form->Label2->text(), QString::fromUtf8("диологов в базе:2"));
    EXPECT_EQ(form->ProgressBar1->maximum(), 2);
    EXPECT_EQ(dir.Read("dlg/2.dlg"), CrLfLines({u8"$как погода"_cp, u8"#солнечно"_cp, "#END"}));
    Type(QString::fromUtf8("как погода"));
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:солнечно"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TeachingPanel, EveryStepSaysWhereTheLessonStandsAndStartsAtTheTop) {
    Type("unknown");
    EXPECT_EQ(panel()->Label7->text(),
              QString::fromUtf8("Фраза 1 · вариант 1 · запомнено: 0 фраз, 0 ответов"));
    TypeInto(panel()->Edit5, "yes");
    panel()->BitBtn3->setFocus();
    QTest::keyClick(panel()->BitBtn3, Qt::Key_Space);
    EXPECT_EQ(panel()->Label7->text(),
              QString::fromUtf8("Фраза 1 · вариант 2 · запомнено: 1 фраза, 1 ответ"));
    EXPECT_EQ(panel()->accessibleDescription(), panel()->Label7->text());
    EXPECT_EQ(QApplication::focusWidget(), panel()->Edit1);
    TypeInto(panel()->Edit1, "again");
    TypeInto(panel()->Edit5, "no");
    QTest::mouseClick(panel()->BitBtn4, Qt::LeftButton);
    EXPECT_EQ(panel()->Label7->text(),
              QString::fromUtf8("Фраза 2 · вариант 1 · запомнено: 2 фразы, 2 ответа"));
    EXPECT_EQ(QApplication::focusWidget(), panel()->Edit1);
}

TEST(TeachingPanelPlace, CountsAgreeWithTheirWords) {
    struct Case {
        int phrases;
        int answers;
        const char* said;
    };
    const Case cases[] = {{1, 21, "1 фраза, 21 ответ"},   {3, 4, "3 фразы, 4 ответа"},
                          {5, 11, "5 фраз, 11 ответов"},  {12, 14, "12 фраз, 14 ответов"},
                          {22, 0, "22 фразы, 0 ответов"}, {111, 102, "111 фраз, 102 ответа"}};
    TFrame2 frame;
    for (const Case& c : cases) {
        frame.SayPlace(3, 2, c.phrases, c.answers);
        EXPECT_EQ(frame.Label7->text(), QString::fromUtf8("Фраза 3 · вариант 2 · запомнено: ") +
                                            QString::fromUtf8(c.said));
    }
}

TEST_F(TeachingPanel, EnterMovesOnAndNeverSends) {
    Type("unknown");
    const auto lines = ChatLines().size();
    panel()->Edit1->setFocus();
    QTest::keyClick(panel()->Edit1, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), panel()->Edit2);
    QTest::keyClick(panel()->Edit2, Qt::Key_Return);
    EXPECT_EQ(ChatLines().size(), lines);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->Edit1->text(), "unknown");
    EXPECT_FALSE(form->BitBtn1->isEnabled()) << "the send button cannot be reached either";
}

// Someone still typing chat phrases after a miss fills the fields, presses Enter and types
// blanks: none of that may confirm a lesson.
TEST_F(TeachingPanel, OnlyCtrlEnterOrOkConfirms) {
    Type("unknown");
    for (int number = 1; number <= 8; ++number) {
        QTest::keyClick(panel()->Field(number), Qt::Key_Return);
    }
    EXPECT_EQ(QApplication::focusWidget(), panel()->Edit8) << "Enter stops at the last field";
    TypeInto(panel()->Edit8, "still chatting ");
    QTest::keyClick(panel()->Edit8, Qt::Key_Return);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_FALSE(dir.Exists("dlg/2.dlg"));
    QTest::keyClick(panel()->Edit8, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(dir.Read("dlg/2.dlg"), CrLfLines({"$unknown", "#still chatting ", "#END"}));
}

TEST_F(TeachingPanel, OkWithoutAReplySaysWhatIsMissingAndStoresNothing) {
    Type("unknown");
    QTest::mouseClick(panel()->BitBtn1, Qt::LeftButton);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->Label6->text(), QString::fromUtf8("Нужен хотя бы один ответ Тумбо."));
    EXPECT_FALSE(dir.Exists("dlg/2.dlg"));
    EXPECT_TRUE(boxes.empty());
    TypeInto(panel()->Edit5, "r");
    EXPECT_TRUE(panel()->Label6->text().isEmpty()) << "typing clears the message";
}

TEST_F(TeachingPanel, LeavingSaysSoAndReturnsToTheChat) {
    Type("unknown");
    QTest::mouseClick(panel()->BitBtn2, Qt::LeftButton);
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:ты меня не учишь :("));
    EXPECT_TRUE(form->Edit1->isEnabled());
    EXPECT_EQ(dir.Read("path.tmb"), CrLfLines({"dlg\\1.dlg"}));
}

// Whether the lesson is kept or left, what is typed next is a new phrase.
TEST_F(TeachingPanel, ThePhraseTypedAfterTheLessonReplacesTheLastOne) {
    for (QPushButton* close : {panel()->BitBtn1, panel()->BitBtn2}) {
        Type(close == panel()->BitBtn1 ? "kept one" : "left one");
        panel()->Edit5->setText("reply");
        QTest::mouseClick(close, Qt::LeftButton);
        ASSERT_FALSE(panel()->isVisible());
        ASSERT_TRUE(form->Edit1->hasFocus());
        QTest::keyClicks(form->Edit1, "next");
        EXPECT_EQ(form->Edit1->text(), "next");
    }
}

TEST_F(TeachingPanel, AFailedConfirmKeepsThePanelWithWhatWasTyped) {
    Type("unknown");
    TypeInto(panel()->Edit5, "reply");
    std::filesystem::rename(dir.path() / "dlg", dir.path() / "away");
    QTest::mouseClick(panel()->BitBtn1, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid filename.");
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->Edit5->text(), "reply");
    EXPECT_EQ(form->Label2->text(), QString::fromUtf8("диологов в базе:1"));
    std::filesystem::rename(dir.path() / "away", dir.path() / "dlg");
    QTest::mouseClick(panel()->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(dir.Read("dlg/2.dlg"), CrLfLines({"$unknown", "#reply", "#END"}));
}

// Only the settings panel's OK saves what its controls hold.
TEST_F(TeachingPanel, TheSaveAfterLearningKeepsTheSavedSettings) {
    Type("unknown");
    form->N2->trigger();
    form->Frame31->Edit1->setText("Ann");
    form->Frame31->CheckBox1->setChecked(true);
    panel()->Edit5->setText("reply");
    // The settings panel covers the teaching panel's buttons; the handler is what counts.
    form->Frame21BitBtn1Click();
    EXPECT_EQ(dir.Read("opt.tmb"), CrLfLines({u8"Аня"_cp, "false", "70", "2"}));
}

}  // namespace
}  // namespace tumbo
