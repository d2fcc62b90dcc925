#include "app/first_start.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QWindow>

#include <atomic>
#include <cerrno>
#include <exception>
#include <memory>

#include "app/tform1.h"

namespace tumbo {

bool BaseToInstall(const std::string& bundled, const std::string& folder) {
    struct stat info {};
    return !bundled.empty() && !folder.empty() && ::lstat(folder.c_str(), &info) != 0 &&
           errno == ENOENT;
}

namespace {

// The install's writes and syncs would otherwise hold up the splash's first paint on a busy
// machine. A platform that never exposes the window is waited for only a moment.
void WaitForFirstPaint(TForm1& form) {
    constexpr int kPatienceMs = 500;
    const QDeadlineTimer deadline(kPatienceMs);
    const QWindow* window = form.windowHandle();
    while (window != nullptr && !form.isHidden() && !window->isExposed() &&
           !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    QCoreApplication::processEvents();
}

}  // namespace

Opened OpenBehindSplash(TForm1& form, const OpenWithProgress& open) {
    WaitForFirstPaint(form);
    // Only a change of a whole percent is worth a trip to the window, which outlives the
    // worker.
    auto lastPercent = std::make_shared<std::atomic<int>>(-1);
    TForm1* target = &form;
    const auto progress = [target, lastPercent](int done, int total) {
        const int percent = total > 0 ? static_cast<int>(100LL * done / total) : 0;
        if (lastPercent->exchange(percent) == percent) {
            return;
        }
        QMetaObject::invokeMethod(
            target, [target, done, total] { target->ShowInstallProgress(done, total); },
            Qt::QueuedConnection);
    };
    Opened opened;
    std::exception_ptr failure;
    QEventLoop waiting;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            opened = open(progress);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QObject::connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    worker->start();
    // The loop also ends when the application quits, the window having been closed.
    waiting.exec();
    worker->wait();
    // What the worker posted last is shown before the window moves on.
    QCoreApplication::sendPostedEvents(&form);
    if (failure) {
        std::rethrow_exception(failure);
    }
    return opened;
}

}  // namespace tumbo
