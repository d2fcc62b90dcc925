#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/text_file.h"
#include "support/memory_file_calls.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

// What a run of file work gave: each step's result or error message, in order.
using Outcome = std::vector<std::string>;

Outcome DoFileWork(FileCalls& calls, const std::string& prefix) {
    Outcome outcome;
    TextFile file(calls);
    const auto step = [&](const std::function<std::string()>& work) {
        try {
            outcome.push_back(work());
        } catch (const InOutError& error) {
            outcome.push_back(std::string("error: ") + error.what());
        }
    };
    const auto readAll = [&] {
        file.Reset();
        std::string lines;
        while (!file.Eof()) {
            lines += file.ReadLine() + "|";
        }
        file.Close();
        return lines;
    };
    file.Assign(prefix + "opt.tmb");
    step(readAll);
    step([&] {
        file.RewriteWhole();
        file.WriteLine(std::string(200, 'n'));
        file.WriteLine("2");
        file.Close();
        return readAll();
    });
    step([&] {
        file.AppendOnNewLine();
        file.WriteLine("more");
        file.Close();
        return readAll();
    });
    file.Assign(prefix + "dlg\\1.dlg");
    step([&] { return std::to_string(file.CreateNew()); });
    step([&] {
        file.WriteLine("$a");
        file.Close();
        return std::to_string(file.CreateNew()) + readAll();
    });
    for (const char* missing : {"dlg\\2.dlg", "nowhere\\1.dlg", "dlg", "opt.tmb\\x"}) {
        file.Assign(prefix + missing);
        step(readAll);
    }
    file.Assign(prefix + "dlg");
    step([&] {
        file.Rewrite();
        return std::string("written");
    });
    return outcome;
}

// The fuzz target's file system must fail where the real one fails, with the same codes.
TEST(MemoryFileCalls, AnswersAsTheRealCallsDo) {
    test::TempDir real;
    std::filesystem::create_directory(real.path() / "dlg");
    const Outcome onDisk = DoFileWork(SystemFileCalls(), real.prefix());

    test::TempDir empty;
    std::filesystem::create_directory(empty.path() / "dlg");
    test::MemoryFileCalls memory;
    memory.MakeFolder(empty.path().string());
    memory.MakeFolder(empty.file("dlg"));
    EXPECT_EQ(DoFileWork(memory, empty.prefix()), onDisk);
    EXPECT_EQ(empty.Names("dlg"), std::set<std::string>{}) << "nothing reached the disk";
}

}  // namespace
}  // namespace tumbo
