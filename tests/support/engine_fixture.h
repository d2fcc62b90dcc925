#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/engine.h"
#include "support/base_writer.h"
#include "support/cp1251.h"
#include "support/fake_window.h"

namespace tumbo::test {

// An engine on a base in a fresh folder, written as the program writes it.
class EngineTest : public testing::Test, protected BaseFolder {
protected:
    EngineTest() {
        engine.SetProgramDir(dir.prefix());
        engine.BindFiles();
    }

    void Send(const std::string& text) {
        window.input = text;
        engine.SendPhrase();
    }
    const std::string& LastLine() const { return window.chat.back(); }

    FakeWindow window;
    FakeClock clock;
    Engine engine{window, clock};
};

}  // namespace tumbo::test
