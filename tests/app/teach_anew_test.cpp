#include <gtest/gtest.h>

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>

#include "support/window_fixture.h"
#include "ui/knowledge_window.h"
#include "ui/tframe2.h"

namespace tumbo {
namespace {

using test::operator""_cp;

class TeachAnew : public test::WindowTest {
protected:
    void SetUp() override {
        WriteOptions(u8"Аня"_cp, 2);
        WriteDialogue(1, {u8"$привет"_cp, u8"#Привет!"_cp, "#END"});
        WriteDialogue(2, {u8"$какая погода"_cp, u8"#Солнечно."_cp, "#END"});
        WritePathList(2);
        OpenLoaded();
    }
    void PressCtrlT() { QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier); }
};

TEST_F(TeachAnew, AfterATolerantAnswerTheLessonAnswersThePhraseFromThenOn) {
    Type(QString::fromUtf8("ПРИВЕТ!!!"));
    ASSERT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:Привет!"));
    ASSERT_FALSE(form->session().LastAnswer().exact);
    ASSERT_TRUE(form->N7->isEnabled());
    PressCtrlT();
    TFrame2* panel = form->Frame21;
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->Edit1->text(), QString::fromUtf8("привет!!!"));
    EXPECT_TRUE(panel->Edit5->hasFocus());
    EXPECT_FALSE(form->N7->isEnabled()) << "not while the panel is open";
    panel->Edit5->setText(QString::fromUtf8("Ого, сколько радости!"));
    QTest::mouseClick(panel->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(panel->isVisible());
    Type(QString::fromUtf8("привет!!!"));
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:ого, сколько радости!"));
    EXPECT_TRUE(form->session().LastAnswer().exact);
    Type(QString::fromUtf8("привет"));
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:Привет!")) << "the old one stays";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TeachAnew, AfterAnExactAnswerTheBaseWindowOpensOnItsDialogue) {
    Type(QString::fromUtf8("какая погода"));
    ASSERT_TRUE(form->session().LastAnswer().exact);
    PressCtrlT();
    EXPECT_FALSE(form->IsPanelShown(form->Frame21));
    KnowledgeWindow* window = form->knowledgeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->DialogueText->toPlainText(), QString::fromUtf8("$какая погода\n#Солнечно."));
    EXPECT_EQ(window->focusWidget(), window->DialogueText);
}

TEST_F(TeachAnew, NeedsAnAnsweredPhrase) {
    EXPECT_FALSE(form->N7->isEnabled()) << "nothing said yet";
    Type("zzz");
    form->Frame21->BitBtn2->click();
    EXPECT_FALSE(form->N7->isEnabled()) << "after a miss";
    PressCtrlT();
    EXPECT_FALSE(form->IsPanelShown(form->Frame21));
    EXPECT_EQ(form->knowledgeWindow(), nullptr);
}

}  // namespace
}  // namespace tumbo
