#pragma once

#include <gtest/gtest.h>

#include <string>

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
