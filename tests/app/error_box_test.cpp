#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
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
    // What the box showed, taken while it is open; the assertions wait until it is closed,
    // so a failing one cannot leave it open and the test hung.
    struct Seen {
        bool box = false;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        qsizetype buttons = 0;
        // Compared only, never followed: the box is gone when they are.
        const QAbstractButton* defaultButton = nullptr;
        const QAbstractButton* okButton = nullptr;
        QWidget* parent = nullptr;
        Qt::WindowModality modality = Qt::NonModal;
        qint64 iconKey = 0;
    } seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            // Not the box expected: close whatever stands open so the test can fail.
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QDialog*>(window); dialog && dialog->isVisible()) {
                    dialog->reject();
                }
            }
            return;
        }
        seen = {true,
                box->windowTitle(),
                box->icon(),
                box->text(),
                box->buttons().size(),
                box->defaultButton(),
                box->button(QMessageBox::Ok),
                box->parentWidget(),
                box->windowModality(),
                box->windowIcon().cacheKey()};
        QTest::keyClick(box, Qt::Key_Escape);
    });
    ShowDefaultErrorBox(InOutError(5).what());
    SetBoxOwner(nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_TRUE(seen.box);
    EXPECT_EQ(seen.title, "TumbO v3.0");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text, "File access denied.");
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(seen.defaultButton, seen.okButton);
    EXPECT_EQ(seen.parent, &owner) << "modal to the main window";
    EXPECT_EQ(seen.modality, Qt::WindowModal);
    EXPECT_EQ(seen.iconKey, owner.windowIcon().cacheKey());
}

}  // namespace
}  // namespace tumbo
