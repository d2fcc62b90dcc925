#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QWindow>

#include "app/tframe6.h"
#include "support/window_fixture.h"
#include "ui/clickable_label.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"
#include "ui/tframe4.h"
#include "ui/tframe5.h"

namespace tumbo {
namespace {

// What the splash or a panel covers takes no input; the keyboard stays with what is seen.
class Covering : public test::WindowTest {
protected:
    void SetUp() override {
        WriteOptions("me", 1);
        WriteDialogue(1, {"$hi", "#hello", "#END"});
        WritePathList(1);
    }
    QWidget* Focused() const { return QApplication::focusWidget(); }
    // Keys and clicks as the desktop delivers them: to the window, which routes them.
    void PressKey(Qt::Key key) { QTest::keyClick(form->windowHandle(), key); }
    void TypeIntoWindow(const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, form->windowHandle(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
    }
    void ClickAt(QWidget* target) {
        const QPoint centre = target->mapTo(form.get(), target->rect().center());
        QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, centre);
    }
    // The widgets Tab visits from the focus, in order, until it comes back.
    std::vector<QWidget*> TabRing() {
        std::vector<QWidget*> ring{Focused()};
        for (int step = 0; step < 40; ++step) {
            PressKey(Qt::Key_Tab);
            if (Focused() == ring.front()) {
                return ring;
            }
            ring.push_back(Focused());
        }
        ADD_FAILURE() << "Tab never came back";
        return ring;
    }
};

TEST_F(Covering, TheSplashKeepsTheChatFromKeysClicksAndTab) {
    Open();
    EXPECT_EQ(TabRing(), (std::vector<QWidget*>{form->Frame61->Label1, form->Frame61->Label2}));
    ClickAt(form->Frame61->Image1);
    form->Edit1->setFocus();
    EXPECT_FALSE(form->Edit1->hasFocus());
    TypeIntoWindow("hi");
    EXPECT_TRUE(form->Edit1->text().isEmpty());
    for (QWidget* covered : {static_cast<QWidget*>(form->Memo1), static_cast<QWidget*>(form->Edit1),
                             static_cast<QWidget*>(form->BitBtn1)}) {
        EXPECT_FALSE(covered->isVisible()) << covered->objectName().toStdString();
    }
    EXPECT_TRUE(form->Frame61->isVisible());
}

TEST_F(Covering, AfterLoadingTheChatIsReachableAndTheFieldHasTheFocus) {
    OpenLoaded();
    EXPECT_EQ(Focused(), form->Edit1);
    TypeIntoWindow("hi");
    PressKey(Qt::Key_Return);
    EXPECT_EQ(ChatLines().last(), "Tumbo:hello");
    EXPECT_EQ(TabRing(), (std::vector<QWidget*>{form->Edit1, form->Memo1, form->BitBtn1}))
        << "the designed order Memo1, BitBtn1, Edit1, read from the field";
}

TEST_F(Covering, APanelKeepsTheChatFromKeysAndClicksAndClosesBackToTheField) {
    OpenLoaded();
    form->N4->trigger();
    EXPECT_EQ(Focused(), form->Frame41->BitBtn1);
    form->Edit1->setFocus();
    EXPECT_FALSE(form->Edit1->hasFocus());
    TypeIntoWindow("unknown phrase");
    PressKey(Qt::Key_Return);
    EXPECT_FALSE(form->IsPanelShown(form->Frame21)) << "nothing was sent from under the panel";
    EXPECT_TRUE(form->Edit1->isEnabled());
    for (QWidget* focused : TabRing()) {
        EXPECT_TRUE(form->Frame41->isAncestorOf(focused)) << focused->objectName().toStdString();
    }
    ClickAt(form->Frame41->BitBtn1);
    EXPECT_FALSE(form->Frame41->isVisible());
    EXPECT_EQ(Focused(), form->Edit1);
}

TEST_F(Covering, TheTeachingRingStaysInThePanelInTheDesignedOrder) {
    OpenLoaded();
    Type("unknown");
    TFrame2* panel = form->Frame21;
    ASSERT_EQ(Focused(), panel->Edit5);
    panel->Edit1->setFocus();
    EXPECT_EQ(TabRing(), (std::vector<QWidget*>{panel->Edit1, panel->Edit2, panel->Edit3,
                                                panel->Edit4, panel->Edit5, panel->Edit6,
                                                panel->Edit7, panel->Edit8, panel->BitBtn1,
                                                panel->BitBtn2, panel->BitBtn3, panel->BitBtn4}));
}

TEST_F(Covering, APanelOverAnotherCoversItUntilItCloses) {
    OpenLoaded();
    Type("unknown");
    form->N2->trigger();
    EXPECT_TRUE(form->IsPanelShown(form->Frame21));
    EXPECT_FALSE(form->Frame21->isVisible()) << "covered by the settings panel";
    for (QWidget* focused : TabRing()) {
        EXPECT_TRUE(form->Frame31->isAncestorOf(focused)) << focused->objectName().toStdString();
    }
    PressKey(Qt::Key_Escape);
    EXPECT_TRUE(form->Frame21->isVisible());
    EXPECT_EQ(Focused(), form->Frame21->Edit5) << "back where the reply is asked for";
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(form->Frame21->isVisible());
    EXPECT_EQ(Focused(), form->Edit1);
}

TEST_F(Covering, EscPressesTheLeavingButtonOfThePanelOnTop) {
    OpenLoaded();
    Type("unknown");
    PressKey(Qt::Key_Escape);
    EXPECT_FALSE(form->IsPanelShown(form->Frame21));
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:ты меня не учишь :("));

    for (QAction* item : {form->N2, form->N4, form->N5}) {
        item->trigger();
        PressKey(Qt::Key_Escape);
        EXPECT_EQ(Focused(), form->Edit1) << item->objectName().toStdString();
    }
    EXPECT_FALSE(form->Frame31->isVisible() || form->Frame41->isVisible() ||
                 form->Frame51->isVisible());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Covering, EscOnTheSplashOrInTheChatDoesNothing) {
    Open();
    PressKey(Qt::Key_Escape);
    EXPECT_TRUE(form->Frame61->isVisible());
    EXPECT_TRUE(form->isVisible());
    form->StartLoading();
    QApplication::processEvents();
    QApplication::setActiveWindow(form.get());
    form->Edit1->setText("kept");
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(form->Edit1->text(), "kept");
    EXPECT_TRUE(ChatLines().isEmpty());
}

}  // namespace
}  // namespace tumbo
