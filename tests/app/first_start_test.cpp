#include "app/first_start.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/window_fixture.h"
#include "ui/clickable_label.h"

namespace tumbo {
namespace {

using test::operator""_cp;

class FirstStart : public test::WindowTest {};

// The install is held until the splash has been seen, then the bundled base in `dir` is
// installed for real.
TEST_F(FirstStart, TheSplashShowsThePreparationThenLoadsTheInstalledBase) {
    WriteOptions(u8"Аня"_cp, 2);
    WriteDialogue(1, {u8"$привет"_cp, u8"#Привет!"_cp, "#END"});
    WriteDialogue(2, {u8"$пока"_cp, u8"#Пока!"_cp, "#END"});
    WritePathList(2);
    const std::string folder = dir.file("home/tumbo3");
    ASSERT_TRUE(BaseToInstall(dir.path().string(), folder));

    form = std::make_unique<TForm1>(clock);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    TFrame6* splash = form->Frame61;
    std::atomic<bool> seen = false;
    bool preparingShown = false;
    QObject::connect(splash->Gauge1, &QProgressBar::valueChanged, [&](int value) {
        if (value != 25 || seen) {
            return;
        }
        preparingShown = splash->isVisible() && splash->Label3->isVisible() &&
                         splash->Label3->text() == QString::fromUtf8("Готовлю базу диалогов…") &&
                         !splash->Label1->isEnabled();
        form->StartLoading();
        seen = true;
    });
    OpenSettings settings;
    settings.clock = &clock;
    settings.bundled = dir.path().string();
    opening = OpenBehindSplash(*form, [&](const auto& progress) {
        progress(1, 4);
        for (int waited = 0; !seen && waited < 5000; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        settings.installProgress = progress;
        return Session::Open(folder, settings);
    });
    EXPECT_TRUE(preparingShown);
    EXPECT_TRUE(splash->isVisible()) << "loading cannot start before the base is there";
    EXPECT_EQ(splash->Gauge1->value(), 100);
    ASSERT_TRUE(opening.session);
    EXPECT_FALSE(BaseToInstall(dir.path().string(), folder));

    form->Attach(*opening.session);
    EXPECT_TRUE(splash->Label1->isEnabled());
    EXPECT_TRUE(splash->Label1->hasFocus());
    test::LoadNow(*form);
    EXPECT_EQ(form->Label2->text(), QString::fromUtf8("диологов в базе:2"));
    Type(QString::fromUtf8("пока"));
    EXPECT_EQ(ChatLines().last(), QString::fromUtf8("Tumbo:Пока!"));
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace tumbo
