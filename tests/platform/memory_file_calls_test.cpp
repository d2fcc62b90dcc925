#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/appending_file.h"
#include "platform/errors.h"
#include "platform/line_reader.h"
#include "platform/new_file.h"
#include "platform/replacing_file.h"
#include "platform/scratch_file.h"
#include "support/memory_file_calls.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

// What a run of file work gave: each step's result or error message, in order.
using Outcome = std::vector<std::string>;

Outcome DoFileWork(FileCalls& calls, const std::string& prefix) {
    Outcome outcome;
    const auto step = [&](const std::function<std::string()>& work) {
        try {
            outcome.push_back(work());
        } catch (const InOutError& error) {
            outcome.push_back(std::string("error: ") + error.what());
        }
    };
    const auto readAll = [&](const std::string& name) {
        LineReader file(calls);
        file.Open(prefix + name);
        std::string lines;
        while (!file.Eof()) {
            lines += file.ReadLine() + "|";
        }
        file.Close();
        return lines;
    };
    step([&] { return readAll("opt.tmb"); });
    step([&] {
        ReplacingFile file(calls);
        file.Start(prefix + "opt.tmb");
        file.WriteLine(std::string(200, 'n'));
        file.WriteLine("2");
        file.Commit();
        return readAll("opt.tmb");
    });
    step([&] {
        AppendingFile file(calls);
        file.Open(prefix + "opt.tmb");
        file.WriteLine("more");
        file.Commit();
        return readAll("opt.tmb");
    });
    NewFile created(calls);
    step([&] { return std::to_string(created.Create(prefix + "dlg\\1.dlg")); });
    step([&] {
        created.WriteLine("$a");
        created.Commit();
        return std::to_string(created.Create(prefix + "dlg\\1.dlg")) + readAll("dlg\\1.dlg");
    });
    for (const char* missing : {"dlg\\2.dlg", "nowhere\\1.dlg", "dlg", "opt.tmb\\x"}) {
        step([&] { return readAll(missing); });
    }
    step([&] {
        ScratchFile file(calls);
        file.Rewrite(prefix + "dlg");
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
