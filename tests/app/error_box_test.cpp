#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/default_error_box.h"
#include "platform/errors.h"
#include "platform/qt/message_box.h"
#include "support/cp1251.h"

namespace tumbo {
namespace {

using test::operator""_cp;

TEST(DefaultErrorBox, APeriodIsAddedAfterLettersDigitsAndQuestionMarks) {
    EXPECT_EQ(WithClosingPeriod("File not found"), "File not found.");
    EXPECT_EQ(WithClosingPeriod("I/O error 112"), "I/O error 112.");
    EXPECT_EQ(WithClosingPeriod("why?"), "why?.");
    EXPECT_EQ(WithClosingPeriod(u8"ошибка"_cp), u8"ошибка."_cp);
    for (const char* kept : {"done.", "stop!", "(x)", "'41x'", "a-", "a,", ""}) {
        EXPECT_EQ(WithClosingPeriod(kept), kept);
    }
}

TEST(DefaultErrorBox, NothingThrownLeavesTheGuard) {
    std::vector<MessageBoxRequest> boxes;
    const auto previous = SetMessageBoxHandler(
        [&boxes](QWidget*, const MessageBoxRequest& request) { boxes.push_back(request); });
    RunGuarded([] { throw ConvertError(u8"длг"_cp); });
    RunGuarded([] { throw std::runtime_error("odd"); });
    RunGuarded([] { throw 42; });
    SetMessageBoxHandler(previous);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, QString::fromUtf8("'длг' is not a valid integer value."));
    EXPECT_EQ(boxes[0].caption, "TumbO v3.0");
    EXPECT_EQ(boxes[1].text, "odd.");
    EXPECT_EQ(boxes[2].text, "Unknown error.");
}

TEST(DefaultErrorBox, TheRealBoxHasOneOkButtonThatEscapeAnswers) {
    QWidget owner;
    owner.setWindowIcon(QIcon(":/art/tumbo.png"));
    SetBoxOwner(&owner);
    bool seen = false;
    QTimer::singleShot(0, [&seen, &owner] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->windowTitle(), "TumbO v3.0");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->text(), "File access denied.");
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
        EXPECT_EQ(box->parentWidget(), &owner) << "modal to the main window";
        EXPECT_EQ(box->windowModality(), Qt::WindowModal);
        EXPECT_EQ(box->windowIcon().cacheKey(), owner.windowIcon().cacheKey());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    ShowDefaultErrorBox(InOutError(5).what());
    SetBoxOwner(nullptr);
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace tumbo
