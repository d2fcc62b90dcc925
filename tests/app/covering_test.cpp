#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

#include "support/window_fixture.h"
#include "ui/clickable_label.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"
#include "ui/tframe4.h"
#include "ui/tframe6.h"

namespace tumbo {
namespace {

// What the splash or a panel covers takes no input; the keyboard stays with what is seen.
// Keys and clicks go to the window, as the desktop delivers them, which routes them on.
class Covering : public test::WindowTest {
protected:
    void SetUp() override { WriteOneDialogueBase(); }
    QWidget* Focused() const { return QApplication::focusWidget(); }
    void Press(Qt::Key key) { QTest::keyClick(form->windowHandle(), key); }
    void TypeIntoWindow(const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, form->windowHandle(), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
    }
    // The widgets Tab visits from the focus, in order, until it comes back.
    std::vector<QWidget*> TabRing() {
        std::vector<QWidget*> ring{Focused()};
        for (Press(Qt::Key_Tab); Focused() != ring.front() && ring.size() < 40;
             Press(Qt::Key_Tab)) {
            ring.push_back(Focused());
        }
        return ring;
    }
};

TEST_F(Covering, TheSplashKeepsTheChatFromKeysClicksAndTab) {
    Open();
    EXPECT_EQ(TabRing(), (std::vector<QWidget*>{form->Frame61->Label1, form->Frame61->Label2}));
    const QPoint field = form->Edit1->mapTo(form.get(), form->Edit1->rect().center());
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, field);
    form->Edit1->setFocus();
    TypeIntoWindow("hi");
    EXPECT_FALSE(form->Edit1->hasFocus());
    EXPECT_TRUE(form->Edit1->text().isEmpty());
    test::LoadNow(*form);
    QApplication::processEvents();
    QApplication::setActiveWindow(form.get());
    EXPECT_EQ(Focused(), form->Edit1);
    EXPECT_EQ(TabRing(), (std::vector<QWidget*>{form->Edit1, form->Memo1, form->BitBtn1}))
        << "the designed order Memo1, BitBtn1, Edit1, read from the field";
}

TEST_F(Covering, APanelKeepsTheChatFromKeysAndItsRingInTheDesignedOrder) {
    OpenLoaded();
    form->N4->trigger();
    form->Edit1->setFocus();
    TypeIntoWindow("unknown");
    Press(Qt::Key_Return);
    EXPECT_FALSE(form->IsPanelShown(form->Frame21)) << "nothing was sent from under the panel";
    EXPECT_EQ(TabRing(), (std::vector<QWidget*>{form->Frame41->BitBtn1, form->Frame41->Label6}));
    form->Frame41BitBtn1Click();

    Type("unknown");
    TFrame2* panel = form->Frame21;
    ASSERT_EQ(Focused(), panel->Edit5);
    panel->Edit1->setFocus();
    EXPECT_EQ(TabRing(), (std::vector<QWidget*>{panel->Edit1, panel->Edit2, panel->Edit3,
                                                panel->Edit4, panel->Edit5, panel->Edit6,
                                                panel->Edit7, panel->Edit8, panel->BitBtn3,
                                                panel->BitBtn4, panel->BitBtn1, panel->BitBtn2}));
}

TEST_F(Covering, EscLeavesThePanelOnTopAndTheFocusFallsToWhatIsUnder) {
    OpenLoaded();
    Type("unknown");
    form->N2->trigger();
    EXPECT_FALSE(form->Frame21->isVisible()) << "covered by the settings panel";
    EXPECT_EQ(Focused(), form->Frame31->Edit1);
    Press(Qt::Key_Escape);
    EXPECT_EQ(Focused(), form->Frame21->Edit5) << "back where the reply is asked for";
    Press(Qt::Key_Escape);
    EXPECT_FALSE(form->IsPanelShown(form->Frame21));
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:ты меня не учишь :("));
    EXPECT_EQ(Focused(), form->Edit1);

    for (QAction* item : {form->N2, form->N4, form->N5}) {
        item->trigger();
        Press(Qt::Key_Escape);
        EXPECT_EQ(Focused(), form->Edit1) << item->objectName().toStdString();
    }
    form->Edit1->setText("kept");
    Press(Qt::Key_Escape);
    EXPECT_EQ(form->Edit1->text(), "kept") << "Esc in the chat does nothing";
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace tumbo
