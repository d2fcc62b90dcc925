#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include "platform/appending_file.h"
#include "platform/end_mark.h"
#include "platform/errors.h"
#include "platform/new_file.h"
#include "platform/replacing_file.h"
#include "platform/scratch_file.h"
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
    ReplacingFile file;
    file.Start(dir.file("opt.tmb"));
    file.WriteLine("new");
    file.Commit();
    EXPECT_EQ(dir.Read("opt.tmb"), "new\r\n");
    ScratchFile scratch;
    try {
        scratch.Rewrite(dir.file("temp.dlg"));
        ADD_FAILURE() << "wrote through a link";
    } catch (const InOutError& error) {
        EXPECT_NE(error.details().find("symbolic link"), std::string::npos) << error.details();
    }
    EXPECT_EQ(dir.Read("victim"), "precious\r\n");
    EXPECT_EQ(dir.Leftovers(), std::set<std::string>{}) << "the planted name is removed";
}

TEST(DurableWrite, ANewVersionKeepsThePermissionBits) {
    test::TempDir dir;
    for (const mode_t mode : {0600, 0640, 0664}) {
        dir.Write("opt.tmb", "old\r\n");
        ASSERT_EQ(::chmod(dir.file("opt.tmb").c_str(), mode), 0);
        ReplacingFile file;
        file.Start(dir.file("opt.tmb"));
        file.WriteLine("new");
        file.Commit();
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
    ReplacingFile file;
    file.Start(dir.file("opt.tmb"));
    file.WriteLine("new");
    file.Commit();
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"opt.tmb", "opt.tmb.bak", "opt.tmb.tmp-notours",
                                                  "path.tmb.tmp-Ab3dEf"}));
}

TEST(DurableWrite, ANewFileAppearsOnlyWhole) {
    test::TempDir dir;
    NewFile file;
    ASSERT_TRUE(file.Create(dir.file("7.dlg")));
    file.WriteLine(std::string(300, 'x'));
    EXPECT_FALSE(dir.Exists("7.dlg")) << "not under its name while it is written";
    file.Commit();
    EXPECT_EQ(dir.Read("7.dlg"), std::string(300, 'x') + "\r\n");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"7.dlg"});
    file.Remove();
    EXPECT_FALSE(dir.Exists("7.dlg")) << "removed after it was in place";

    dir.Write("8.dlg", "there");
    EXPECT_FALSE(file.Create(dir.file("8.dlg")));

    // A name taken while the file is written is never overwritten.
    ASSERT_TRUE(file.Create(dir.file("7.dlg")));
    file.WriteLine("mine");
    dir.Write("7.dlg", "theirs");
    EXPECT_THROW(file.Commit(), InOutError);
    EXPECT_EQ(dir.Read("7.dlg"), "theirs");
    EXPECT_EQ(dir.Names(), (std::set<std::string>{"7.dlg", "8.dlg"}));
}

// The name must be on the disk before anything names the file.
TEST(DurableWrite, AFolderThatCannotBeSyncedUndoesTheNewFile) {
    test::TempDir dir;
    test::FailingFileCalls calls;
    NewFile file(calls);
    ASSERT_TRUE(file.Create(dir.file("7.dlg")));
    file.WriteLine("x");
    // The first sync is the file's own; the second is its folder's.
    calls.FailAt(Call::kFsync, EIO, 2);
    try {
        file.Commit();
        ADD_FAILURE();
    } catch (const InOutError& error) {
        EXPECT_STREQ(error.what(), "I/O error 1005");
        EXPECT_NE(error.details().find("Operation: sync the folder of"), std::string::npos);
    }
    EXPECT_TRUE(dir.Names().empty());
}

// Every way of writing refuses a link in the file's place, naming the file; a new file
// counts its name as taken by anything, a dangling link or a folder too.
TEST(DurableWrite, LinksAreRefusedAndTakenNamesSkipped) {
    test::TempDir dir;
    dir.Write("victim", "precious\r\n");
    for (const std::string name : {"opt.tmb", "path.tmb"}) {
        std::filesystem::create_symlink(dir.file("victim"), dir.file(name));
    }
    const auto refused = [&](const std::string& name, auto open) {
        try {
            open(dir.file(name));
            ADD_FAILURE() << name << " written through a link";
        } catch (const InOutError& error) {
            EXPECT_EQ(error.code(), io_code::kAccessDenied);
            EXPECT_NE(error.details().find("File: " + dir.file(name)), std::string::npos);
            EXPECT_NE(error.details().find("symbolic link"), std::string::npos);
        }
    };
    refused("opt.tmb", [](const std::string& path) { ReplacingFile().Start(path); });
    refused("path.tmb", [](const std::string& path) { AppendingFile().Open(path); });
    EXPECT_EQ(dir.Read("victim"), "precious\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("opt.tmb"))) << "the link stays as it was";

    std::filesystem::create_symlink(dir.file("nowhere"), dir.file("1.dlg"));
    std::filesystem::create_directory(dir.file("2.dlg"));
    NewFile file;
    for (const std::string name : {"1.dlg", "2.dlg", "victim"}) {
        EXPECT_FALSE(file.Create(dir.file(name))) << name;
    }
    ASSERT_TRUE(file.Create(dir.file("3.dlg")));
    file.Commit();
    EXPECT_FALSE(std::filesystem::exists(dir.file("nowhere")));
}

// Lines appended after byte 26 would never be read: the append cuts the file there, and
// what followed the mark is kept beside it when it is more than blanks.
TEST(DurableWrite, AppendingCutsAtTheEndMark) {
    test::TempDir dir;
    struct Row {
        std::string before, after, copy;
    };
    for (const Row& row : {
             Row{"a\r\n\x1a"
                 "b\r\n",
                 "a\r\nc\r\n", "b\r\n"},
             Row{"a\x1a tail", "a\r\nc\r\n", " tail"},
             Row{"a\r\n\x1a\r\n \x1a", "a\r\nc\r\n", ""},
             Row{"\x1a", "c\r\n", ""},
         }) {
        dir.Clear();
        dir.Write("path.tmb", row.before);
        AppendingFile file;
        file.Open(dir.file("path.tmb"));
        file.WriteLine("c");
        file.Commit();
        EXPECT_EQ(dir.Read("path.tmb"), row.after) << row.before;
        EXPECT_EQ(dir.Read("path.tmb.bak"), row.copy) << row.before;
        EXPECT_EQ(dir.Exists("path.tmb.bak"), !row.copy.empty()) << row.before;
    }
    // A whole rewrite drops the mark too, after the same copy.
    dir.Write("path.tmb",
              "a\r\n\x1a"
              "kept");
    end_mark::KeepWhatFollows(SystemFileCalls(), dir.file("path.tmb"));
    EXPECT_EQ(dir.Read("path.tmb.bak"), "kept");
    EXPECT_EQ(dir.Read("path.tmb"),
              "a\r\n\x1a"
              "kept");
    EXPECT_TRUE(dir.Leftovers().empty());
}

}  // namespace
}  // namespace tumbo
