#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMenuBar>
#include <QPushButton>

#include "support/window_fixture.h"
#include "ui/clickable_label.h"
#include "ui/tframe3.h"
#include "ui/tframe5.h"
#include "ui/tframe6.h"

namespace tumbo {
namespace {

// Everything can be done without a mouse.
class Keyboard : public test::WindowTest {
protected:
    void SetUp() override { WriteOneDialogueBase(); }
    QWidget* Focused() const { return QApplication::focusWidget(); }
};

TEST_F(Keyboard, TheSplashStartsWithEnterAndLeavesWithTab) {
    Open();
    EXPECT_EQ(Focused(), form->Frame61->Label1);
    QTest::keyClick(Focused(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), form->Frame61->Label2);
    QTest::keyClick(Focused(), Qt::Key_Backtab);
    QTest::keyClick(Focused(), Qt::Key_Return);
    EXPECT_TRUE(test::WaitUntil([&] { return form->Frame61->isHidden(); }));
    EXPECT_TRUE(form->menuBar()->isVisible());
}

TEST_F(Keyboard, AltReachesTheMenuAndItsPanels) {
    OpenLoaded();
    QTest::keyClick(form.get(), Qt::Key_Alt);
    ASSERT_EQ(form->menuBar()->activeAction(), form->N1);
    QTest::keyClick(form->menuBar(), Qt::Key_Right);
    QTest::keyClick(form->menuBar(), Qt::Key_Return);
    EXPECT_TRUE(form->Frame31->isVisible());
    EXPECT_EQ(Focused(), form->Frame31->Edit1);
    QTest::keyClick(Focused(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), form->Frame31->CheckBox1);
    QTest::keyClick(Focused(), Qt::Key_Space);
    EXPECT_TRUE(form->Frame31->CheckBox1->isChecked());
    QTest::keyClick(Focused(), Qt::Key_Escape);
    EXPECT_FALSE(form->Frame31->isVisible());
}

TEST_F(Keyboard, WhatIsTypedInTheLogGoesToThePhraseField) {
    OpenLoaded();
    form->Edit1->clear();
    form->Memo1->setFocus();
    QTest::keyClicks(form->Memo1, "hi");
    EXPECT_EQ(form->Edit1->text(), "hi");
    EXPECT_EQ(Focused(), form->Edit1);
    form->Memo1->setFocus();
    QTest::keyClick(form->Memo1, Qt::Key_Return);
    EXPECT_FALSE(form->Memo1->toPlainText().isEmpty()) << "Enter in the log sends";
}

TEST_F(Keyboard, TheLogStillSelectsForCopying) {
    OpenLoaded();
    form->Memo1->appendPlainText("Tumbo:hello");
    form->Edit1->setText("kept");
    form->Memo1->setFocus();
    QTest::keyClick(form->Memo1, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(form->Memo1->textCursor().hasSelection());
    QTest::keyClick(form->Memo1, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(form->Memo1, Qt::Key_Right);
    QTest::keyClick(form->Memo1, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(form->Memo1->textCursor().selectedText().size(), 1);
    EXPECT_EQ(Focused(), form->Memo1);
    EXPECT_EQ(form->Edit1->text(), "kept");
}

TEST_F(Keyboard, LinksAndTheFaceAnswerEnter) {
    OpenLoaded();
    form->N5->trigger();
    form->Frame51->Image1->setFocus();
    QTest::keyClick(Focused(), Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Warning");
}

}  // namespace
}  // namespace tumbo
