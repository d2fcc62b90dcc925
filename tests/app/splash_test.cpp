#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>

#include "platform/errors.h"
#include "support/window_fixture.h"
#include "ui/clickable_label.h"
#include "ui/tframe2.h"
#include "ui/tframe6.h"

namespace tumbo {
namespace {

class Splash : public test::WindowTest {};

TEST_F(Splash, CoversEverythingUntilLoadingAndOptionsAreAlreadyRead) {
    WriteOptions("Гость", 3);
    Open();
    EXPECT_TRUE(form->Frame61->isVisible());
    EXPECT_EQ(form->Frame61->geometry(), QRect(0, 0, 536, 340));
    for (const QPoint point :
         {QPoint(20, 20), QPoint(300, 240), QPoint(400, 100), QPoint(20, 310)}) {
        QWidget* top = form->Frame61->parentWidget()->childAt(point);
        EXPECT_TRUE(top == form->Frame61 || form->Frame61->isAncestorOf(top))
            << "the splash lies above every control at " << point.x() << "," << point.y();
    }
    EXPECT_FALSE(form->menuBar()->isVisible());
    for (QAction* item : {form->N1, form->N2, form->N3}) {
        EXPECT_FALSE(item->isVisible()) << item->objectName().toStdString();
    }
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->Label2->text(), QString::fromUtf8("диологов в базе:3"));
    EXPECT_EQ(form->ProgressBar1->maximum(), 3);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Splash, LoadingShowsEveryGaugeStepThenTheChat) {
    WriteOptions("a", 1);
    Open();
    std::vector<int> shown;
    QObject::connect(form->Frame61->Gauge1, &QProgressBar::valueChanged,
                     [&shown](int value) { shown.push_back(value); });
    QTest::mouseClick(form->Frame61->Label1, Qt::LeftButton);
    EXPECT_TRUE(form->Frame61->isVisible()) << "the animation runs on its timer";
    ASSERT_TRUE(test::WaitUntil([&] { return form->Frame61->isHidden(); }));
    std::vector<int> expected;
    for (int value = 1; value <= 100; ++value) {
        expected.push_back(value);
    }
    // The gauge starts at 0, so setting 0 again changes nothing; 1 to 100 follow.
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(form->Frame61->isVisible());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form->menuBar()->isVisible());
    for (QAction* item : {form->N1, form->N2, form->N3, form->N4, form->N5}) {
        EXPECT_TRUE(item->isVisible()) << item->objectName().toStdString();
    }
}

TEST_F(Splash, CaptionsTurnBlackUnderThePointer) {
    WriteOptions("a", 1);
    Open();
    auto color = [](QWidget* w) { return w->palette().color(QPalette::WindowText); };
    EXPECT_EQ(color(form->Frame61->Label2), QColor(0x80, 0, 0));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(form->Frame61->Label2, &enter);
    EXPECT_EQ(color(form->Frame61->Label2), QColor(Qt::black));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(form->Frame61->Label2, &leave);
    EXPECT_EQ(color(form->Frame61->Label2), QColor(0x80, 0, 0));
    EXPECT_EQ(form->Frame61->Label1->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(Splash, ExitCaptionClosesTheWindow) {
    WriteOptions("a", 1);
    Open();
    QTest::mouseClick(form->Frame61->Label2, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Splash, AMissingOptionFileIsReportedAndTheSplashStillShows) {
    Open();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "TumbO v3.0");
    EXPECT_EQ(boxes[0].text, "File not found.");
    EXPECT_EQ(boxes[0].icon, BoxIcon::kStop);
    EXPECT_TRUE(form->Frame61->isVisible());
    EXPECT_EQ(form->Label2->text(), "") << "controls keep their designed values";
}

TEST_F(Splash, APictureThatCannotBeDecodedLeavesThePlainBackground) {
    TFrame6 frame;
    EXPECT_THROW(frame.LoadPicture(QByteArray("not a picture")), TumboError);
    EXPECT_TRUE(frame.Image1->pixmap().isNull());
    frame.LoadPicture();
    EXPECT_EQ(frame.Image1->pixmap().size(), QSize(536, 340));
}

// The decoder speaks of "the picture"; the box the user sees says which one.
TEST_F(Splash, AFailureNamesTheSplashPicture) {
    TFrame6 frame;
    try {
        frame.LoadPicture(QByteArray("not a picture"));
        ADD_FAILURE() << "decoded a picture from text";
    } catch (const TumboError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("The splash picture cannot be read: ", 0), 0u)
            << error.what();
    }
}

TEST_F(Splash, EveryNamedPartCanBeFoundByName) {
    WriteOptions("a", 1);
    Open();
    for (const char* name : {"Memo1", "Edit1", "BitBtn1", "GroupBox1", "Label2", "Label5",
                             "ProgressBar1", "Label4", "Label1", "Bevel1", "Frame21", "Frame31",
                             "Frame41", "Frame51", "Frame61", "Image1", "Gauge1"}) {
        auto* widget = form->findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr) << name;
    }
    EXPECT_EQ(form->objectName(), "Form1");
    EXPECT_EQ(form->menuBar()->objectName(), "MainMenu1");
}

}  // namespace
}  // namespace tumbo
