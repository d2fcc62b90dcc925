#include <gtest/gtest.h>

#include <fcntl.h>

#include <climits>
#include <functional>
#include <string>

#include "platform/appending_file.h"
#include "platform/errors.h"
#include "platform/new_file.h"
#include "platform/replacing_file.h"
#include "support/durable_memory_file_calls.h"

namespace tumbo {
namespace {

using Disk = test::DurableMemoryFileCalls;

int SyncPath(Disk& disk, const char* path, int flags = O_RDONLY) {
    const int fd = disk.Open(path, flags, 0);
    const int result = disk.Fsync(fd);
    disk.Close(fd);
    return result;
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

// Each of the file layer's durable writes, cut at every call: the file is its old self or
// its whole new self, and once Commit has returned, the new one for good.
TEST(DurableMemoryFileCalls, EveryDurableWriteOutlivesACutOnceClosed) {
    const std::string kPath = "/base/opt.tmb";
    const std::string kOld = "old\r\n";
    struct Job {
        const char* name;
        bool exists;
        // Writes the line "new" and returns once it is committed.
        std::function<void(Disk&, const std::string&)> write;
        std::string result;
    };
    const Job jobs[] = {
        {"replace", true,
         [](Disk& disk, const std::string& path) {
             ReplacingFile file(disk);
             file.Start(path);
             file.WriteLine("new");
             file.Commit();
         },
         "new\r\n"},
        {"create", false,
         [](Disk& disk, const std::string& path) {
             NewFile file(disk);
             ASSERT_TRUE(file.Create(path));
             file.WriteLine("new");
             file.Commit();
         },
         "new\r\n"},
        {"append", true,
         [](Disk& disk, const std::string& path) {
             AppendingFile file(disk);
             file.Open(path);
             file.WriteLine("new");
             file.Commit();
         },
         "old\r\nnew\r\n"},
    };
    for (const Job& job : jobs) {
        SCOPED_TRACE(job.name);
        // Whether the commit returned before the cut.
        const auto run = [&](Disk& disk, int cutAt) {
            disk.MakeFolders("/base");
            if (job.exists) {
                disk.Put(kPath, kOld);
            }
            disk.CutPowerAt(cutAt);
            try {
                job.write(disk, kPath);
                return !disk.PowerWentOff();
            } catch (const InOutError&) {
                return false;
            }
        };
        Disk whole;
        ASSERT_TRUE(run(whole, INT_MAX));
        for (int cutAt = 1; cutAt <= whole.Calls() + 1; ++cutAt) {
            SCOPED_TRACE("cut at call " + std::to_string(cutAt));
            Disk disk;
            const bool closed = run(disk, cutAt);
            disk.Restart();
            const auto kept = disk.Read(kPath);
            if (closed) {
                EXPECT_EQ(kept, job.result);
            } else if (job.exists) {
                EXPECT_TRUE(kept == kOld || kept == job.result) << kept.value_or("<missing>");
            } else {
                EXPECT_TRUE(!kept || kept == job.result) << *kept;
            }
        }
    }
}

}  // namespace
}  // namespace tumbo
