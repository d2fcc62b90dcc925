// A long run against a generated base: many phrases and many taught dialogues in a row
// through the real window on the offscreen platform. It reports memory at the start and
// the end, and checks that every taught dialogue answers afterwards.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/tform1.h"
#include "bench/base_generator.h"
#include "bench/bench_support.h"
#include "platform/clock.h"
#include "platform/qt/message_box.h"
#include "ui/tframe2.h"
#include "ui/tframe6.h"

namespace {

using tumbo::TForm1;
using tumbo::bench::Memory;
using tumbo::bench::ReadMemory;

class InstantClock : public tumbo::Clock {
public:
    std::uint64_t Counter() override { return ++counter_; }

private:
    std::uint64_t counter_ = 0;
};

int ArgOr(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const int phrases = ArgOr(argc, argv, 1, 100000);
    const int lessons = ArgOr(argc, argv, 2, 1000);
    const int baseSize = ArgOr(argc, argv, 3, 1000);

    const tumbo::test::TempDir folder;
    const tumbo::bench::BaseShape shape{baseSize, 7, {}};
    tumbo::bench::WriteBase(folder.path(), shape);

    int boxes = 0;
    tumbo::SetMessageBoxHandler([&boxes](QWidget*, const tumbo::MessageBoxRequest& request) {
        ++boxes;
        std::fprintf(stderr, "box: %s\n", request.text.toUtf8().constData());
    });
    InstantClock clock;
    tumbo::OpenSettings settings;
    settings.clock = &clock;
    const tumbo::Opened opened = tumbo::Session::Open(folder.path().string(), settings);
    TForm1 form(*opened.session, clock);
    form.show();
    form.StartLoading();
    while (!form.Frame61->isHidden()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    std::mt19937 random(11);
    std::vector<std::string> taught;
    const auto send = [&form](const std::string& phrase) {
        form.Edit1->setText(QString::fromStdString(phrase));
        form.BitBtn1Click();
        QApplication::processEvents();
    };
    const int lessonEvery = lessons > 0 ? phrases / lessons : phrases + 1;
    const auto started = std::chrono::steady_clock::now();
    Memory atStart;
    for (int phrase = 0; phrase < phrases; ++phrase) {
        if (phrase == 1000) {
            atStart = ReadMemory();
        }
        // Memory along the way shows whether it levels off or keeps growing.
        if (phrases >= 10 && phrase % (phrases / 10) == 0 && phrase > 0) {
            const Memory now = ReadMemory();
            std::printf("after %6d phrases: rss %ld kB\n", phrase, now.rssKb);
            std::fflush(stdout);
        }
        if (phrase % lessonEvery == lessonEvery - 1 && static_cast<int>(taught.size()) < lessons) {
            const std::string lesson = "lesson " + std::to_string(taught.size());
            send(lesson);
            form.Frame21->Edit5->setText(QString::fromStdString("learnt " + lesson));
            form.Frame21BitBtn1Click();
            taught.push_back(lesson);
            continue;
        }
        // Mostly openers of the generated dialogues, now and then a taught one.
        if (!taught.empty() && random() % 10 == 0) {
            send(taught[random() % taught.size()]);
        } else {
            send(tumbo::bench::OpenerOf(shape, 1 + static_cast<int>(random() % baseSize)));
        }
    }
    const Memory atEnd = ReadMemory();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    int unanswered = 0;
    for (const std::string& lesson : taught) {
        send(lesson);
        const QString expected = QString::fromStdString("Tumbo:learnt " + lesson);
        if (form.Memo1->toPlainText().split('\n').last() != expected) {
            ++unanswered;
        }
    }
    std::printf("phrases %d, taught dialogues %zu, base %d -> %d dialogues, %.1f s\n", phrases,
                taught.size(), baseSize, form.session().Options().DialogueCount, seconds);
    std::printf("memory after 1000 phrases: rss %ld kB, peak %ld kB\n", atStart.rssKb,
                atStart.peakKb);
    std::printf("memory at the end:         rss %ld kB, peak %ld kB\n", atEnd.rssKb, atEnd.peakKb);
    std::printf("taught dialogues that do not answer: %d; error boxes: %d\n", unanswered, boxes);
    return unanswered == 0 && boxes == 0 ? 0 : 1;
}
