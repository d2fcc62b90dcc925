#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "platform/qt/url_opener.h"
#include "support/window_fixture.h"
#include "ui/clickable_label.h"
#include "ui/tframe2.h"
#include "ui/tframe3.h"
#include "ui/tframe4.h"
#include "ui/tframe5.h"

namespace tumbo {
namespace {

using test::operator""_cp;

class Information : public test::WindowTest {
protected:
    void SetUp() override {
        previousOpener_ = SetUrlOpener([this](const QUrl& url) { opened.push_back(url); });
        WriteOptions(u8"Аня"_cp, 1);
        WriteDialogue(1, {"$a", "#b", "#END"});
        WritePathList(1);
        OpenLoaded();
    }
    void TearDown() override { SetUrlOpener(previousOpener_); }

    std::vector<QUrl> opened;

private:
    UrlOpener previousOpener_;
};

TEST_F(Information, TheFaceComplainsInTurnForever) {
    form->N5->trigger();
    for (int click = 0; click < 4; ++click) {
        QTest::mouseClick(form->Frame51->Image1, Qt::LeftButton);
    }
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].text, QString::fromUtf8("Не тыкай в лицо, меня это злит!!"));
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[0].icon, BoxIcon::kWarning);
    EXPECT_EQ(boxes[1].text, QString::fromUtf8("Ты чё специально тыкаешь!! У мя уже синяки :("));
    EXPECT_EQ(boxes[1].icon, BoxIcon::kWarning);
    EXPECT_EQ(boxes[2].text, QString::fromUtf8("Ну всё довёл бота хана терь виндам!!"));
    EXPECT_EQ(boxes[2].caption, "Error");
    EXPECT_EQ(boxes[2].icon, BoxIcon::kStop);
    EXPECT_EQ(boxes[3].text, boxes[0].text);
    EXPECT_EQ(form->Frame51->Image1->cursor().shape(), Qt::CrossCursor);
}

TEST_F(Information, TheAboutMessageNamesTheProgram) {
    form->N5->trigger();
    QTest::mouseClick(form->Frame51->BitBtn2, Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Confirm");
    EXPECT_EQ(boxes[0].icon, BoxIcon::kQuestion);
    const QStringList lines = boxes[0].text.split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString::fromUtf8("Tumbo v3.0 программа на основе технологии ботов ") +
                            QChar(u'c') + QString::fromUtf8(" функцией обучения."))
        << "the c before the last word is Latin";
    EXPECT_FALSE(lines[1].isEmpty());
}

TEST_F(Information, LinksOpenTheBrowserAndTheMailProgram) {
    form->N4->trigger();
    EXPECT_TRUE(form->Frame41->isVisible());
    QTest::mouseClick(form->Frame41->Label6, Qt::LeftButton);
    QTest::mouseClick(form->Frame41->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(form->Frame41->isVisible());
    form->N5->trigger();
    QTest::mouseClick(form->Frame51->Label3, Qt::LeftButton);
    QTest::mouseClick(form->Frame51->Label4, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2u) << "the about panel's web address does nothing";
    EXPECT_EQ(opened[0].scheme(), "https");
    EXPECT_EQ(opened[0], QUrl(TFrame4::WebPageUrl()));
    EXPECT_EQ(opened[1].scheme(), "mailto");
    EXPECT_EQ(opened[1].path(), TFrame5::ContactAddress());
    for (ClickableLabel* link :
         {form->Frame41->Label6, form->Frame51->Label3, form->Frame51->Label4}) {
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    }
    QTest::mouseClick(form->Frame51->BitBtn1, Qt::LeftButton);
    EXPECT_FALSE(form->Frame51->isVisible());
}

TEST_F(Information, TheStatusFollowsSavesAndTaughtDialogues) {
    EXPECT_EQ(form->Frame51->Label6->text(), QString::fromUtf8("Аня"));
    EXPECT_EQ(form->Frame51->Label9->text(), "1");
    form->N2->trigger();
    form->Frame31->Edit1->setText("Ann");
    QTest::mouseClick(form->Frame31->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(form->Frame51->Label6->text(), "Ann");
    Type("something new");
    form->Frame21->Edit5->setText("ok");
    QTest::mouseClick(form->Frame21->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(form->Frame51->Label9->text(), "2");
}

}  // namespace
}  // namespace tumbo
