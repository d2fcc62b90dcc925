#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/session.h"
#include "support/base_writer.h"
#include "support/cp1251.h"
#include "support/failing_file_calls.h"
#include "support/fake_clock.h"
#include "support/test_window.h"

namespace tumbo::test {

// Starts a bare engine on the base whose files lie under `prefix`, for the search alone.
inline void StartOnBase(Engine& engine, const std::string& prefix) {
    engine.SetProgramDir(prefix);
    engine.BindFiles();
    engine.LoadOptions();
}

// A short chat on a fresh engine: why it is tried, what is typed, and the reply to the last
// phrase, empty when nothing may answer it.
struct ChatRow {
    const char* why;
    std::vector<std::string> phrases;
    std::string reply;
};

// The reply (without "Tumbo:") a fresh engine on the base under `prefix` gives the last of
// `phrases`; empty when it would ask to be taught. A failure is thrown.
inline std::string LastReply(Clock& clock, const std::string& prefix,
                             const std::vector<std::string>& phrases) {
    Engine fresh{clock};
    StartOnBase(fresh, prefix);
    Answer answer;
    for (const std::string& phrase : phrases) {
        answer = fresh.Reply(phrase);
        if (answer.failure) {
            std::rethrow_exception(answer.failure);
        }
    }
    return answer.teach ? std::string() : answer.lines.back().substr(6);
}

// A session on `folder`, through `calls`, as a front end opens it.
inline Opened OpenSession(const std::string& folder, Clock& clock, FileCalls& calls) {
    OpenSettings settings;
    settings.clock = &clock;
    settings.calls = &calls;
    return Session::Open(folder, settings);
}

// A session on a base in a fresh folder, and a window showing it. Its file calls work
// until a test makes one fail.
class EngineTest : public testing::Test, protected BaseFolder {
protected:
    void Send(const std::string& text) {
        window.input = text;
        window.SendPhrase();
    }
    const std::string& LastLine() const { return window.chat.back(); }

    FailingFileCalls calls;
    FakeClock clock;
    Opened opened = OpenSession(dir.path().string(), clock, calls);
    Session& session = *opened.session;
    TestWindow window{session};
};

}  // namespace tumbo::test
