#pragma once

#include <initializer_list>
#include <string>

#include "support/temp_dir.h"

// A base as the program writes one: code page 1251 text with CR LF line ends, written
// here byte for byte rather than by the program, so tests see what it really reads.
namespace tumbo::test {

inline std::string CrLfLines(std::initializer_list<std::string> lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

// opt.tmb: the user's name, whether to save, a number the program keeps, the dialogue count.
inline std::string OptionFile(const std::string& name, int count) {
    return CrLfLines({name, "false", "70", std::to_string(count)});
}

inline std::string DialogueFile(int number) {
    return "dlg/" + std::to_string(number) + ".dlg";
}

// One line of path.tmb, as the program names a dialogue there.
inline std::string PathListLine(int number) {
    return "dlg\\" + std::to_string(number) + ".dlg\r\n";
}

// A fresh folder and the writers of a base in it, for fixtures to derive from.
class BaseFolder {
protected:
    void WriteOptions(const std::string& name, int count = 0) const {
        dir.Write("opt.tmb", OptionFile(name, count));
    }
    void WriteDialogue(int number, std::initializer_list<std::string> lines) const {
        dir.Write(DialogueFile(number), CrLfLines(lines));
    }
    void WritePathList(std::initializer_list<std::string> names) const {
        dir.Write("path.tmb", CrLfLines(names));
    }
    // Registers dialogues 1 to count in the path list.
    void WritePathList(int count) const {
        std::string bytes;
        for (int n = 1; n <= count; ++n) {
            bytes += PathListLine(n);
        }
        dir.Write("path.tmb", bytes);
    }
    // The smallest working base: one dialogue, where "hi" is answered by "hello".
    void WriteOneDialogueBase() const {
        WriteOptions("me", 1);
        WriteDialogue(1, {"$hi", "#hello", "#END"});
        WritePathList(1);
    }

    TempDir dir;
};

}  // namespace tumbo::test
