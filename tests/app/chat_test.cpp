#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>

#include "support/window_fixture.h"
#include "ui/tframe2.h"

namespace tumbo {
namespace {

using test::operator""_cp;

class Chat : public test::WindowTest {
protected:
    void SetUp() override {
        WriteOptions(u8"Аня"_cp, 3);
        WriteDialogue(
            1, {u8"$привет"_cp, u8"#Привет, [n]!"_cp, u8"$как дела"_cp, u8"#Отлично!"_cp, "#END"});
        WriteDialogue(2, {u8"$ёлка"_cp, u8"#Ёлочка"_cp, "#END"});
        WriteDialogue(3, {u8"$пока"_cp, u8"#До встречи, [n][e]"_cp, "#END"});
        WritePathList(3);
        OpenLoaded();
    }
};

TEST_F(Chat, AConversationFromEchoToTeaching) {
    Type(QString::fromUtf8("ПРИВЕТ"));
    EXPECT_EQ(form->Edit1->text(), QString::fromUtf8("привет")) << "the field keeps the phrase";
    Type(QString::fromUtf8("Как Дела"));
    Type(QString::fromUtf8("ёЛКА"));
    Type({});
    Type(QString::fromUtf8("Ёлка!"));
    Type(QString::fromUtf8("новое"));
    EXPECT_EQ(ChatLines(), QStringList({
                               QString::fromUtf8("Аня:привет"),
                               QString::fromUtf8("Tumbo:Привет, Аня!"),
                               QString::fromUtf8("Аня:как дела"),
                               QString::fromUtf8("Tumbo:Отлично!"),
                               QString::fromUtf8("Аня:ёлка"),
                               QString::fromUtf8("Tumbo:Ёлочка"),
                               QString::fromUtf8("Tumbo:Аня ты чё молчишь ?"),
                               QString::fromUtf8("Аня:Ёлка!"),
                               QString::fromUtf8("Tumbo:Ёлочка"),
                               QString::fromUtf8("Аня:новое"),
                               QString::fromUtf8("Tumbo:не знаю ответа"),
                           }));
    EXPECT_TRUE(form->Frame21->isVisible()) << "no answer opens the teaching panel";
    EXPECT_FALSE(form->Edit1->isEnabled()) << "nothing can be sent while it is open";
    EXPECT_EQ(form->ProgressBar1->value(), 3);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Chat, TheLogShowsTheNewestLineAndThePhraseWaitsToBeReplaced) {
    for (int line = 0; line < 40; ++line) {
        form->AppendChatLine("line " + std::to_string(line));
    }
    QTest::mouseClick(form->Memo1->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    form->Memo1->moveCursor(QTextCursor::Start);
    Type(QString::fromUtf8("привет"));
    QScrollBar* scroll = form->Memo1->verticalScrollBar();
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(form->Edit1->selectedText(), QString::fromUtf8("привет"));
    QTest::keyClicks(form->Edit1, "zz");
    EXPECT_EQ(form->Edit1->text(), "zz") << "typing replaces the phrase";
}

TEST_F(Chat, TheSendButtonSendsToo) {
    form->Edit1->setText("zzz");
    QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(ChatLines().first(), QString::fromUtf8("Аня:zzz"));
}

TEST_F(Chat, TextTheCodePageCannotHoldIsSentAsQuestionMarks) {
    form->Edit1->setText(QString::fromUtf8("hi 😀"));
    QTest::keyClick(form->Edit1, Qt::Key_Return);
    EXPECT_EQ(ChatLines().first(), QString::fromUtf8("Аня:hi ?"));
}

TEST_F(Chat, AnExitReplyIsShownThenTheWindowClosesWhileEventsGoOn) {
    Type(QString::fromUtf8("пока"));
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:До встречи, Аня"));
    auto* exit = form->findChild<QTimer*>("ExitTimer");
    ASSERT_NE(exit, nullptr);
    EXPECT_TRUE(exit->isActive());
    EXPECT_EQ(exit->interval(), 3000);
    EXPECT_FALSE(form->Edit1->isEnabled()) << "nothing more can be sent";
    bool otherTimerFired = false;
    QTimer::singleShot(1, [&] { otherTimerFired = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return otherTimerFired; }, 1000))
        << "the event loop keeps running during the pause";
    EXPECT_TRUE(form->isVisible());
    exit->setInterval(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 1000));
    EXPECT_EQ(ChatLines().size(), 2);
}

TEST_F(Chat, AFailedSearchIsReportedAndTheWindowCarriesOn) {
    dir.Write("path.tmb", "dlg\\9.dlg\r\ndlg\\1.dlg\r\n");
    Type(QString::fromUtf8("привет"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "File not found.");
    EXPECT_EQ(boxes[0].details.toStdString(),
              "Operation: open for reading\nFile: " + dir.file("dlg/9.dlg") +
                  "\nSystem: No such file or directory (errno 2)")
        << "the entry to mend is named";
    dir.Write("path.tmb", "dlg\\1.dlg\r\n");
    Type(QString::fromUtf8("привет"));
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:Привет, Аня!"));
}

TEST_F(Chat, TheChatLogKeepsTheLatestLines) {
    for (int line = 0; line < TForm1::kChatLogLines + 5; ++line) {
        form->AppendChatLine(std::to_string(line));
    }
    EXPECT_EQ(form->Memo1->blockCount(), TForm1::kChatLogLines);
    EXPECT_EQ(ChatLines().last(), QString::number(TForm1::kChatLogLines + 4));
    EXPECT_EQ(ChatLines().first(), "5");
}

TEST_F(Chat, TheProgressBarNeverGoesPastItsMaximum) {
    WriteOptions(u8"Аня"_cp, 1);
    form->FormCreate();
    Type("nothing");
    EXPECT_EQ(form->ProgressBar1->maximum(), 1);
    EXPECT_EQ(form->ProgressBar1->value(), 1);
}

}  // namespace
}  // namespace tumbo
