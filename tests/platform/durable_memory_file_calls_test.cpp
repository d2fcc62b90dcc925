#include <gtest/gtest.h>

#include <fcntl.h>

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
#include "support/durable_memory_file_calls.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

using Disk = test::DurableMemoryFileCalls;

int SyncPath(Disk& disk, const char* path, int flags = O_RDONLY) {
    const int fd = disk.Open(path, flags, 0);
    const int result = disk.Fsync(fd);
    disk.Close(fd);
    return result;
}

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

// The power-cut tests' and the fuzz target's file system fails where the real one fails,
// with the same codes.
TEST(DurableMemoryFileCalls, AnswersAsTheRealCallsDo) {
    test::TempDir real;
    std::filesystem::create_directory(real.path() / "dlg");
    const Outcome onDisk = DoFileWork(SystemFileCalls(), real.prefix());

    Disk memory;
    memory.MakeFolders("/base/dlg");
    EXPECT_EQ(DoFileWork(memory, "/base/"), onDisk);
}

// The model itself: a cut keeps a file's bytes as its last sync left them, and a folder's
// names as its last sync left them, whatever else was done.
TEST(DurableMemoryFileCalls, APowerCutKeepsOnlyWhatWasSynced) {
    Disk disk;
    disk.Put("/base/kept", "old");
    disk.Put("/base/gone", "doomed");
    const int fd = disk.Open("/base/kept", O_WRONLY | O_TRUNC, 0);
    ASSERT_EQ(disk.Write(fd, "new", 3), 3);
    disk.Close(fd);
    const int made = disk.Open("/base/made", O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_EQ(disk.Write(made, "synced", 6), 6);
    ASSERT_EQ(disk.Fsync(made), 0);
    disk.Close(made);
    ASSERT_EQ(disk.Unlink("/base/gone"), 0);
    ASSERT_EQ(disk.Mkdir("/base/sub", 0755), 0);
    ASSERT_EQ(disk.Rename("/base/made", "/base/sub/moved"), 0);
    EXPECT_EQ(disk.Read("/base/sub/moved"), "synced");

    Disk unsynced = disk;
    unsynced.Restart();
    EXPECT_EQ(unsynced.Read("/base/kept"), "old") << "bytes never synced";
    EXPECT_EQ(unsynced.Read("/base/gone"), "doomed") << "a removal its folder never synced";
    EXPECT_EQ(unsynced.Names("/base"), (std::set<std::string>{"gone", "kept"}));

    // The new folder's name and the moved name are each durable only with their own folder.
    ASSERT_EQ(SyncPath(disk, "/base/sub"), 0);
    Disk subOnly = disk;
    subOnly.Restart();
    EXPECT_FALSE(subOnly.Exists("/base/sub"));
    ASSERT_EQ(SyncPath(disk, "/base", O_RDONLY | O_DIRECTORY), 0);
    disk.Restart();
    EXPECT_EQ(disk.Names("/base"), (std::set<std::string>{"kept", "sub"}));
    EXPECT_EQ(disk.Read("/base/sub/moved"), "synced");
    EXPECT_EQ(disk.Read("/base/kept"), "old");
}

}  // namespace
}  // namespace tumbo
