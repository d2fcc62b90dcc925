#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "support/base_writer.h"
#include "support/cp1251.h"
#include "support/temp_dir.h"

namespace tumbo::test {

using Lines = std::vector<std::string>;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuoted(const std::string& text) {
    return "'" + text + "'";
}

// Runs a command line through the shell with `input` on standard input, from `workDir`
// when one is given.
inline ToolRun RunTool(const std::string& commandLine, const std::string& input = {},
                       const std::string& workDir = {}) {
    TempDir io;
    io.Write("in", input);
    const std::string cd = workDir.empty() ? "" : "cd " + ShellQuoted(workDir) + " && ";
    const std::string full = cd + commandLine + " < " + ShellQuoted(io.file("in")) + " > " +
                             ShellQuoted(io.file("out")) + " 2> " + ShellQuoted(io.file("err"));
    const int raw = std::system(full.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, io.Read("out"), io.Read("err")};
}

inline Lines SplitOutput(const std::string& text) {
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A base in a fresh folder, written byte for byte as each test says.
class BaseTest : public testing::Test, protected BaseFolder {
protected:
    // Greetings with a second turn, a farewell that closes the program, and a dialogue
    // whose opener is the greeting's second turn.
    void WriteSmallBase() {
        WriteOptions(u8"Аня"_cp, 3);
        WritePathList(3);
        WriteDialogue(1, {u8"$привет"_cp, "$hello", u8"#Привет, [n]!"_cp, u8"#Здравствуй!"_cp,
                          u8"#Хай!"_cp, u8"$как дела"_cp, u8"#Отлично."_cp, "#END"});
        WriteDialogue(2, {u8"$пока"_cp, u8"#Пока![e]"_cp, "#END"});
        WriteDialogue(3, {u8"$как дела"_cp, u8"#Из другого диалога"_cp, "#END"});
    }

    // Every file under the folder with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
            const auto name = std::filesystem::relative(entry.path(), dir.path()).string();
            files[name] = entry.is_regular_file() ? dir.Read(name) : "<folder>";
        }
        return files;
    }
};

}  // namespace tumbo::test
