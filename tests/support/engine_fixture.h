#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/engine.h"
#include "support/cp1251.h"
#include "support/fake_window.h"
#include "support/temp_dir.h"

namespace tumbo::test {

inline std::string CrLfLines(std::initializer_list<std::string> lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// An engine on a base in a fresh folder, written as the program writes it.
class EngineTest : public testing::Test {
protected:
    EngineTest() {
        engine.SetProgramDir(dir.prefix());
        engine.BindFiles();
    }

    void WriteOptions(const std::string& name, int count = 0) {
        dir.Write("opt.tmb", CrLfLines({name, "false", "70", std::to_string(count)}));
    }
    void WriteDialogue(int number, std::initializer_list<std::string> lines) {
        dir.Write("dlg/" + std::to_string(number) + ".dlg", CrLfLines(lines));
    }
    void WritePathList(std::initializer_list<std::string> names) {
        dir.Write("path.tmb", CrLfLines(names));
    }
    // Registers dialogues 1 to count in the path list.
    void WritePathList(int count) {
        std::string bytes;
        for (int n = 1; n <= count; ++n) {
            bytes += "dlg\\" + std::to_string(n) + ".dlg\r\n";
        }
        dir.Write("path.tmb", bytes);
    }

    void Send(const std::string& text) {
        window.input = text;
        engine.SendPhrase();
    }
    const std::string& LastLine() const { return window.chat.back(); }

    TempDir dir;
    FakeWindow window;
    FakeClock clock;
    Engine engine{window, clock};
};

}  // namespace tumbo::test
