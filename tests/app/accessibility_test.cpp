#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QLineEdit>
#include <QProgressBar>

#include "platform/qt/url_opener.h"
#include "support/window_fixture.h"
#include "ui/clickable_label.h"
#include "ui/tframe4.h"
#include "ui/tframe5.h"
#include "ui/tframe6.h"

namespace tumbo {
namespace {

bool IsRussian(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

QAccessibleInterface* Of(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

// What a screen reader is told, through the interfaces it queries.
class Accessibility : public test::WindowTest {
protected:
    void SetUp() override {
        WriteOneDialogueBase();
        Open();
    }
    // Every control that can be seen and used is named, and described if at all, in Russian;
    // returns how many there are.
    int ExpectRussianControls() {
        int controls = 0;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            const bool usable = widget->focusPolicy() != Qt::NoFocus ||
                                qobject_cast<ClickableLabel*>(widget) != nullptr;
            if (widget->isVisible() && usable && !widget->objectName().startsWith("qt_")) {
                ++controls;
                const QString description = Of(widget)->text(QAccessible::Description);
                EXPECT_TRUE(IsRussian(Of(widget)->text(QAccessible::Name)))
                    << widget->objectName().toStdString();
                EXPECT_TRUE(description.isEmpty() || IsRussian(description))
                    << widget->objectName().toStdString();
            }
        }
        return controls;
    }
    static void PressAs(ClickableLabel* label, QAccessible::Role role) {
        EXPECT_EQ(Of(label)->role(), role) << label->objectName().toStdString();
        QAccessibleActionInterface* actions = Of(label)->actionInterface();
        ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        actions->doAction(QAccessibleActionInterface::pressAction());
    }
};

TEST_F(Accessibility, EveryVisibleControlHasARussianName) {
    EXPECT_EQ(ExpectRussianControls(), 2) << "the splash's two captions";
    test::LoadNow(*form);
    EXPECT_EQ(ExpectRussianControls(), 3) << "the log, the field and the send button";
    Type("unknown");
    EXPECT_EQ(ExpectRussianControls(), 12) << "teaching";
    form->Frame21BitBtn2Click();
    for (QAction* item : {form->N2, form->N4, form->N5}) {
        item->trigger();
        EXPECT_GT(ExpectRussianControls(), 1) << item->objectName().toStdString();
    }
}

TEST_F(Accessibility, ClickableTextsAreLinksAndButtonsThatPressLikeAClick) {
    std::vector<QUrl> opened;
    const UrlOpener previous = SetUrlOpener([&opened](const QUrl& url) { opened.push_back(url); });
    PressAs(form->Frame61->Label1, QAccessible::Button);
    EXPECT_TRUE(test::WaitUntil([&] { return form->Frame61->isHidden(); }))
        << "pressing starts loading";
    form->N4->trigger();
    PressAs(form->Frame41->Label6, QAccessible::Link);
    form->N5->trigger();
    PressAs(form->Frame51->Label3, QAccessible::Link);
    PressAs(form->Frame51->Label4, QAccessible::Link);
    PressAs(form->Frame51->Image1, QAccessible::Button);
    SetUrlOpener(previous);
    ASSERT_EQ(opened.size(), 2u) << "the about panel's web address still does nothing";
    EXPECT_EQ(opened[0], QUrl(TFrame4::WebPageUrl()));
    EXPECT_EQ(opened[1].scheme(), "mailto");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(Of(form->Frame61->Label2)->role(), QAccessible::Button);
}

TEST_F(Accessibility, CoveredControlsAreNotShowingAndTheSearchBarReadsZero) {
    EXPECT_TRUE(Of(form->Edit1)->state().invisible);
    EXPECT_TRUE(Of(form->ProgressBar1)->state().invisible);
    test::LoadNow(*form);
    EXPECT_FALSE(Of(form->Edit1)->state().invisible);
    EXPECT_EQ(Of(form->ProgressBar1)->valueInterface()->currentValue().toInt(), 0)
        << "before the first search";
    form->N5->trigger();
    EXPECT_TRUE(Of(form->Edit1)->state().invisible);
    EXPECT_FALSE(Of(form->ProgressBar1)->state().invisible) << "beside the panel, not under it";
}

}  // namespace
}  // namespace tumbo
