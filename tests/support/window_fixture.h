#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "app/tform1.h"
#include "platform/file_calls.h"
#include "platform/qt/message_box.h"
#include "support/base_writer.h"
#include "support/cp1251.h"
#include "support/fake_clock.h"
#include "ui/tframe6.h"

namespace tumbo::test {

// Waits, turning the event loop as the program does, until `done` or five seconds have
// passed. QTest::qWaitFor sleeps between its looks, which slows a millisecond timer tenfold.
template <typename Done>
bool WaitUntil(Done done) {
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return done();
}

// Clicks loading and waits while the splash's animation runs on its timer.
inline void LoadNow(TForm1& form) {
    form.StartLoading();
    EXPECT_TRUE(WaitUntil([&form] { return form.Frame61->isHidden(); }));
}

// A TForm1 on a base in a fresh folder, with boxes recorded.
class WindowTest : public testing::Test, protected BaseFolder {
protected:
    WindowTest() {
        previousHandler_ = SetMessageBoxHandler(
            [this](QWidget*, const MessageBoxRequest& request) { boxes.push_back(request); });
    }
    ~WindowTest() override { SetMessageBoxHandler(previousHandler_); }
    // Before the fixtures' file calls go, which the session's lock is given back through.
    void TearDown() override {
        form.reset();
        opening = {};
    }

    void Open(FileCalls& files = SystemFileCalls()) {
        form.reset();
        opening = {};
        OpenSettings settings;
        settings.clock = &clock;
        settings.calls = &files;
        opening = Session::Open(dir.path().string(), settings);
        ASSERT_TRUE(opening.session);
        form = std::make_unique<TForm1>(*opening.session, clock);
        form->show();
        // Focus moves only within the active window.
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void OpenLoaded(FileCalls& files = SystemFileCalls()) {
        Open(files);
        LoadNow(*form);
        // The new border recreates the native window, which must be made active again.
        QApplication::processEvents();
        QApplication::setActiveWindow(form.get());
    }

    // Types text as a person would, one character at a time, then presses Enter.
    void Type(const QString& text) {
        form->Edit1->clear();
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, form->Edit1, Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
        QTest::keyClick(form->Edit1, Qt::Key_Return);
    }
    QStringList ChatLines() const {
        return form->Memo1->toPlainText().split('\n', Qt::SkipEmptyParts);
    }

    FakeClock clock;
    std::vector<MessageBoxRequest> boxes;
    Opened opening;
    std::unique_ptr<TForm1> form;

private:
    MessageBoxHandler previousHandler_;
};

}  // namespace tumbo::test
