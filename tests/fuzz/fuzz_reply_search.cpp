// A conversation with an arbitrary base. The input is split at NUL bytes into: the clock
// counter, opt.tmb, path.tmb, dlg/1.dlg, dlg/2.dlg, words.tmb, concepts.tmb, then up to
// kMaxEvents events whose first byte picks what the user does next and whose rest is the
// text typed for it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/base_format.h"
#include "engine/phrase_fold.h"
#include "engine/session.h"
#include "fuzz_support.h"
#include "platform/errors.h"
#include "support/durable_memory_file_calls.h"
#include "support/fake_clock.h"
#include "support/test_window.h"

namespace {

constexpr std::size_t kFirstEvent = 7;
constexpr std::size_t kMaxEvents = 12;

std::uint64_t CounterFrom(std::string_view bytes) {
    std::uint64_t counter = 0;
    for (const char c : bytes) {
        counter = counter * 131 + static_cast<unsigned char>(c);
    }
    return counter;
}

// A tolerant match needs a phrase with letters or digits left after folding, and a typo
// one of five letters or more.
void CheckTolerance(const tumbo::Session& session, const tumbo::test::TestWindow& window) {
    const std::string how = session.ExplainLastMatch();
    // An empty phrase is not looked for at all.
    if (window.input.empty() || !window.answered || how.starts_with("matched: exact,")) {
        return;
    }
    const std::string folded = tumbo::FoldPhrase(window.input);
    if (folded.empty() ||
        (how.starts_with("matched: one typo,") && tumbo::LetterCount(folded) < 5)) {
        __builtin_trap();
    }
}

// Only what the window allows at the time: while the teaching panel is open the input
// line is disabled and only the panel's fields and buttons work.
void Act(tumbo::Session& session, tumbo::test::TestWindow& window, std::string_view event) {
    const unsigned choice = event.empty() ? 0u : static_cast<unsigned char>(event.front());
    const std::string text(event.empty() ? event : event.substr(1));
    if (!window.teachPanelVisible) {
        switch (choice % 3) {
            case 0:
                window.input = text;
                window.SendPhrase();
                CheckTolerance(session, window);
                break;
            case 1:
                window.controls.UserName = text;
                window.SaveOptions();
                break;
            default:
                window.LoadOptions();
                break;
        }
        return;
    }
    switch (choice % 5) {
        case 0: {
            const int field = text.empty() ? 1 : static_cast<unsigned char>(text.front()) % 8 + 1;
            window.SetTeachField(field, text.empty() ? text : text.substr(1));
            break;
        }
        case 1:
            window.ConfirmTeaching();
            break;
        case 2:
            window.NextTurn();
            break;
        case 3:
            window.ExtendTurn();
            break;
        default:
            window.LeaveTeaching();
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tumbo::fuzz::Sections sections(data, size);
    const std::string base = "/base/";
    tumbo::test::DurableMemoryFileCalls files;
    files.MakeFolders(base + "dlg");
    files.Put(base + std::string(tumbo::base_format::kOptionFile), std::string(sections[1]));
    files.Put(base + std::string(tumbo::base_format::kPathList), std::string(sections[2]));
    files.Put(base + "dlg/1.dlg", std::string(sections[3]));
    files.Put(base + "dlg/2.dlg", std::string(sections[4]));
    files.Put(base + std::string(tumbo::base_format::kWordSubstitutions), std::string(sections[5]));
    files.Put(base + std::string(tumbo::base_format::kConcepts), std::string(sections[6]));

    tumbo::test::FakeClock clock;
    clock.counter = CounterFrom(sections[0]);
    tumbo::OpenSettings settings;
    settings.clock = &clock;
    settings.calls = &files;
    const tumbo::Opened opened = tumbo::Session::Open(base, settings);
    if (!opened.session) {
        __builtin_trap();
    }
    tumbo::test::TestWindow window(*opened.session);
    try {
        window.LoadOptions();
    } catch (const tumbo::TumboError&) {
        // The window starts with its defaults, as after a failed start.
    }
    for (std::size_t i = kFirstEvent; i < sections.size() && i < kFirstEvent + kMaxEvents; ++i) {
        try {
            Act(*opened.session, window, sections[i]);
        } catch (const tumbo::TumboError&) {
            // The window shows the error and goes on.
        }
        if (window.closeRequests > 0) {
            break;
        }
    }
    return 0;
}
