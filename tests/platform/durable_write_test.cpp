#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/errors.h"
#include "platform/text_file.h"
#include "support/failing_file_calls.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

using Call = test::FailingFileCalls::Call;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// Links planted where the program writes must never carry a write elsewhere.
TEST(DurableWrite, PlantedLinksAreNeverWrittenThrough) {
    test::TempDir dir;
    dir.Write("victim", "precious\r\n");
    dir.Write("opt.tmb", "old\r\n");
    std::filesystem::create_symlink(dir.file("victim"), dir.file("opt.tmb.tmp"));
    std::filesystem::create_symlink(dir.file("victim"), dir.file("temp.dlg"));
    TextFile file;
    file.Assign(dir.file("opt.tmb"));
    file.RewriteWhole();
    file.WriteLine("new");
    file.Close();
    EXPECT_EQ(dir.Read("opt.tmb"), "new\r\n");
    file.Assign(dir.file("temp.dlg"));
    try {
        file.Rewrite();
        ADD_FAILURE() << "wrote through a link";
    } catch (const InOutError& error) {
        EXPECT_NE(error.details().find("Too many levels of symbolic links"), std::string::npos)
            << error.details();
    }
    EXPECT_EQ(dir.Read("victim"), "precious\r\n");
    EXPECT_EQ(dir.Leftovers(), std::set<std::string>{}) << "the planted name is removed";
}

TEST(DurableWrite, ANewVersionKeepsThePermissionBits) {
    test::TempDir dir;
    for (const mode_t mode : {0600, 0640, 0664}) {
        dir.Write("opt.tmb", "old\r\n");
        ASSERT_EQ(::chmod(dir.file("opt.tmb").c_str(), mode), 0);
        TextFile file;
        file.Assign(dir.file("opt.tmb"));
        file.RewriteWhole();
        file.WriteLine("new");
        file.Close();
        EXPECT_EQ(ModeOf(dir.file("opt.tmb")), mode);
    }
}

TEST(DurableWrite, NewVersionsLeftByACrashGoAtTheNextSave) {
    test::TempDir dir;
    dir.Write("opt.tmb", "old\r\n");
    for (const char* left : {"opt.tmb.tmp", "opt.tmb.tmp-Ab3dEf"}) {
        dir.Write(left, "half");
    }
    for (const char* kept : {"opt.tmb.tmp-notours", "path.tmb.tmp-Ab3dEf", "opt.tmb.bak"}) {
        dir.Write(kept, "kept");
    }
    TextFile file;
    file.Assign(dir.file("opt.tmb"));
    file.RewriteWhole();
    file.WriteLine("new");
    file.Close();
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"opt.tmb", "opt.tmb.bak", "opt.tmb.tmp-notours",
                                                  "path.tmb.tmp-Ab3dEf"}));
}

TEST(DurableWrite, ANewFileAppearsOnlyWhole) {
    test::TempDir dir;
    TextFile file;
    file.Assign(dir.file("7.dlg"));
    ASSERT_TRUE(file.CreateNew());
    file.WriteLine(std::string(300, 'x'));
    EXPECT_FALSE(dir.Exists("7.dlg")) << "not under its name while it is written";
    file.Close();
    EXPECT_EQ(dir.Read("7.dlg"), std::string(300, 'x') + "\r\n");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"7.dlg"});
    file.Abandon();
    EXPECT_FALSE(dir.Exists("7.dlg")) << "abandoned after it was in place";

    dir.Write("8.dlg", "there");
    file.Assign(dir.file("8.dlg"));
    EXPECT_FALSE(file.CreateNew());

    // A name taken while the file is written is never overwritten.
    file.Assign(dir.file("7.dlg"));
    ASSERT_TRUE(file.CreateNew());
    file.WriteLine("mine");
    dir.Write("7.dlg", "theirs");
    EXPECT_THROW(file.Close(), InOutError);
    EXPECT_EQ(dir.Read("7.dlg"), "theirs");
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"7.dlg", "8.dlg"}));
}

// The name must be on the disk before anything names the file.
TEST(DurableWrite, AFolderThatCannotBeSyncedUndoesTheNewFile) {
    test::TempDir dir;
    test::FailingFileCalls calls;
    TextFile file(calls);
    file.Assign(dir.file("7.dlg"));
    ASSERT_TRUE(file.CreateNew());
    file.WriteLine("x");
    // The first sync is the file's own; the second is its folder's.
    calls.FailAt(Call::kFsync, EIO, 2);
    try {
        file.Close();
        ADD_FAILURE();
    } catch (const InOutError& error) {
        EXPECT_STREQ(error.what(), "I/O error 1005");
        EXPECT_NE(error.details().find("Operation: sync the folder of"), std::string::npos);
    }
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace tumbo
