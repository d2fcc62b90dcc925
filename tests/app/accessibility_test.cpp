#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "app/tframe6.h"
#include "platform/qt/url_opener.h"
#include "support/window_fixture.h"
#include "ui/clickable_label.h"
#include "ui/tframe2.h"
#include "ui/tframe4.h"
#include "ui/tframe5.h"

namespace tumbo {
namespace {

bool IsRussian(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

// What a screen reader is told, through the same interfaces it queries.
class Accessibility : public test::WindowTest {
protected:
    void SetUp() override {
        previousOpener_ = SetUrlOpener([this](const QUrl& url) { opened.push_back(url); });
        WriteOptions("me", 1);
        WriteDialogue(1, {"$hi", "#hello", "#END"});
        WritePathList(1);
    }
    void TearDown() override { SetUrlOpener(previousOpener_); }

    static QAccessibleInterface* Of(QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget);
    }
    // Every control that can be seen and used is named, and described if at all, in Russian.
    int ExpectRussianControls() {
        int controls = 0;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            const bool usable = widget->focusPolicy() != Qt::NoFocus ||
                                qobject_cast<ClickableLabel*>(widget) != nullptr;
            if (!widget->isVisible() || !usable || widget->objectName().startsWith("qt_")) {
                continue;
            }
            ++controls;
            const QString name = Of(widget)->text(QAccessible::Name);
            const QString description = Of(widget)->text(QAccessible::Description);
            EXPECT_TRUE(IsRussian(name))
                << widget->objectName().toStdString() << ": " << name.toStdString();
            EXPECT_TRUE(description.isEmpty() || IsRussian(description))
                << widget->objectName().toStdString() << ": " << description.toStdString();
        }
        return controls;
    }
    static void Press(ClickableLabel* label) {
        QAccessibleActionInterface* actions = Of(label)->actionInterface();
        ASSERT_NE(actions, nullptr) << label->objectName().toStdString();
        ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        actions->doAction(QAccessibleActionInterface::pressAction());
    }

    std::vector<QUrl> opened;

private:
    UrlOpener previousOpener_;
};

TEST_F(Accessibility, EveryVisibleControlHasARussianName) {
    Open();
    EXPECT_EQ(ExpectRussianControls(), 2) << "the splash's two captions";
    form->StartLoading();
    EXPECT_EQ(ExpectRussianControls(), 3) << "the log, the field and the send button";
    Type("unknown");
    EXPECT_EQ(ExpectRussianControls(), 12) << "teaching";
    form->Frame21BitBtn2Click();
    for (QAction* item : {form->N2, form->N4, form->N5}) {
        item->trigger();
        EXPECT_GT(ExpectRussianControls(), 1) << item->objectName().toStdString();
    }
    EXPECT_TRUE(IsRussian(Of(form.get())->text(QAccessible::Name)));
}

TEST_F(Accessibility, ClickableTextsAreLinksAndButtonsThatPress) {
    Open();
    EXPECT_EQ(Of(form->Frame61->Label1)->role(), QAccessible::Button);
    EXPECT_EQ(Of(form->Frame61->Label2)->role(), QAccessible::Button);
    Press(form->Frame61->Label1);
    EXPECT_TRUE(form->Frame61->isHidden()) << "pressing starts loading";

    form->N4->trigger();
    EXPECT_EQ(Of(form->Frame41->Label6)->role(), QAccessible::Link);
    Press(form->Frame41->Label6);
    form->N5->trigger();
    EXPECT_EQ(Of(form->Frame51->Label4)->role(), QAccessible::Link);
    EXPECT_EQ(Of(form->Frame51->Label3)->role(), QAccessible::Link);
    Press(form->Frame51->Label3);
    Press(form->Frame51->Label4);
    ASSERT_EQ(opened.size(), 2u) << "the about panel's web address still does nothing";
    EXPECT_EQ(opened[0], QUrl(TFrame4::WebPageUrl()));
    EXPECT_EQ(opened[1].scheme(), "mailto");

    EXPECT_EQ(Of(form->Frame51->Image1)->role(), QAccessible::Button);
    Press(form->Frame51->Image1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Warning");
}

TEST_F(Accessibility, TheSplashsExitPressClosesTheWindow) {
    Open();
    Press(form->Frame61->Label2);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Accessibility, CoveredControlsAreNotShowing) {
    Open();
    for (QWidget* covered : {static_cast<QWidget*>(form->Memo1), static_cast<QWidget*>(form->Edit1),
                             static_cast<QWidget*>(form->ProgressBar1)}) {
        EXPECT_TRUE(Of(covered)->state().invisible) << covered->objectName().toStdString();
    }
    form->StartLoading();
    EXPECT_FALSE(Of(form->Edit1)->state().invisible);
    form->N5->trigger();
    EXPECT_TRUE(Of(form->Edit1)->state().invisible);
    EXPECT_FALSE(Of(form->ProgressBar1)->state().invisible) << "beside the panel, not under it";
}

TEST_F(Accessibility, TheSearchBarReadsZeroBeforeTheFirstSearch) {
    OpenLoaded();
    QAccessibleValueInterface* value = Of(form->ProgressBar1)->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 0);
}

}  // namespace
}  // namespace tumbo
