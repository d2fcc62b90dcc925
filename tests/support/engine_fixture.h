#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/engine.h"
#include "support/base_writer.h"
#include "support/cp1251.h"
#include "support/fake_window.h"

namespace tumbo::test {

// Starts an engine on the base whose files lie under `prefix`, as the window does.
inline void StartOnBase(Engine& engine, const std::string& prefix) {
    engine.SetProgramDir(prefix);
    engine.BindFiles();
    engine.LoadOptions();
}

// An engine on a base in a fresh folder, written as the program writes it.
class EngineTest : public testing::Test, protected BaseFolder {
protected:
    EngineTest() {
        engine.SetProgramDir(dir.prefix());
        engine.BindFiles();
    }

    void Send(const std::string& text) {
        window.input = text;
        window.SendPhrase();
    }
    const std::string& LastLine() const { return window.chat.back(); }

    FakeClock clock;
    Engine engine{clock};
    FakeWindow window{engine};
};

}  // namespace tumbo::test
