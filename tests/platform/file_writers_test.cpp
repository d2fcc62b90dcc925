#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/appending_file.h"
#include "platform/errors.h"
#include "platform/line_reader.h"
#include "platform/new_file.h"
#include "platform/replacing_file.h"
#include "platform/scratch_file.h"
#include "support/failing_file_calls.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

using Call = test::FailingFileCalls::Call;

TEST(FileWriters, LinesEndWithCrLfAndBreaksInsideBecomeBlanks) {
    test::TempDir dir;
    ScratchFile file;
    file.Rewrite(dir.file("out.txt"));
    file.WriteLine("one");
    file.WriteLine("");
    file.WriteLine("\xc0\xff");
    file.WriteLine(
        "a\r\nb\rc\nd\x1a"
        "e");
    file.Close();
    EXPECT_EQ(dir.Read("out.txt"), "one\r\n\r\n\xc0\xff\r\na  b c d e\r\n");
}

TEST(FileWriters, AScratchReachesTheDiskIn128ByteBlocks) {
    test::TempDir dir;
    dir.Write("out.txt", "old old old\r\n");
    ScratchFile file;
    file.Rewrite(dir.file("out.txt"));
    EXPECT_EQ(dir.Read("out.txt"), "") << "emptied at once";
    file.WriteLine(std::string(100, 'a'));
    EXPECT_EQ(dir.Read("out.txt"), "") << "still in the buffer";
    file.WriteLine(std::string(100, 'b'));
    EXPECT_EQ(dir.Read("out.txt").size(), 128u);
    file.Close();
    EXPECT_EQ(dir.Read("out.txt").size(), 204u);
}

TEST(FileWriters, AnAppendStartsANewLineAndNeedsAnExistingFile) {
    test::TempDir dir;
    dir.Write("path.tmb", "dlg\\1.dlg");
    AppendingFile file;
    file.Open(dir.file("path.tmb"));
    file.WriteLine("dlg\\2.dlg");
    EXPECT_EQ(dir.Read("path.tmb"), "dlg\\1.dlg") << "nothing before the commit";
    file.Commit();
    EXPECT_EQ(dir.Read("path.tmb"), "dlg\\1.dlg\r\ndlg\\2.dlg\r\n");
    EXPECT_THROW(file.Open(dir.file("missing.txt")), InOutError);
    EXPECT_FALSE(dir.Exists("missing.txt"));
}

TEST(FileWriters, AReplacementAppearsOnlyWhenCommitted) {
    test::TempDir dir;
    dir.Write("opt.tmb", "old\r\n");
    ReplacingFile file;
    file.Start(dir.file("opt.tmb"));
    file.WriteLine(std::string(300, 'n'));
    EXPECT_EQ(dir.Read("opt.tmb"), "old\r\n");
    file.Commit();
    EXPECT_EQ(dir.Read("opt.tmb"), std::string(300, 'n') + "\r\n");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"opt.tmb"});
}

// A writer that goes away uncommitted, an exception on its way say, leaves the file as it
// was and nothing beside it.
TEST(FileWriters, DestructorsNeverWrite) {
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> write;
    };
    const std::string line(300, 'w');
    const Case cases[] = {
        {"replace",
         [&](const std::string& path) {
             ReplacingFile file;
             file.Start(path);
             file.WriteLine(line);
         }},
        {"append",
         [&](const std::string& path) {
             AppendingFile file;
             file.Open(path);
             file.WriteLine(line);
         }},
        {"new file",
         [&](const std::string& path) {
             NewFile file;
             ASSERT_TRUE(file.Create(path + ".new"));
             file.WriteLine(line);
         }},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        dir.Write("f", "old\r\n");
        c.write(dir.file("f"));
        EXPECT_EQ(dir.Read("f"), "old\r\n") << c.name;
        EXPECT_EQ(dir.Names(), std::set<std::string>{"f"}) << c.name;
    }
}

struct WriteFault {
    const char* name;
    Call call;
    int err;
    int fromUse;
    const char* message;
};

class ReplacementFault : public testing::TestWithParam<WriteFault> {};

TEST_P(ReplacementFault, LeavesTheOldFileWholeAndNoLeftovers) {
    const WriteFault& fault = GetParam();
    test::TempDir dir;
    dir.Write("opt.tmb", "old\r\nfalse\r\n70\r\n5\r\n");
    test::FailingFileCalls calls;
    calls.FailAt(fault.call, fault.err, fault.fromUse);
    ReplacingFile file(calls);
    try {
        file.Start(dir.file("opt.tmb"));
        for (int line = 0; line < 10; ++line) {
            file.WriteLine(std::string(60, 'x'));
        }
        file.Commit();
        ADD_FAILURE() << "no failure reported";
    } catch (const InOutError& error) {
        EXPECT_STREQ(error.what(), fault.message);
        // The new version's name, kept though the failure removed it.
        EXPECT_NE(error.details().find("File: " + dir.file("opt.tmb")), std::string::npos)
            << error.details();
    }
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(dir.Read("opt.tmb"), "old\r\nfalse\r\n70\r\n5\r\n");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"opt.tmb"}) << "no new version left behind";
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, ReplacementFault,
    testing::Values(WriteFault{"Open", Call::kOpen, EACCES, 1, "File access denied"},
                    WriteFault{"FirstWrite", Call::kWrite, ENOSPC, 1, "I/O error 112"},
                    WriteFault{"LaterWrite", Call::kWrite, ENOSPC, 3, "I/O error 112"},
                    WriteFault{"Sync", Call::kFsync, EIO, 1, "I/O error 1005"},
                    WriteFault{"Rename", Call::kRename, EXDEV, 1, "I/O error 1018"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FileWriters, ACloseFailingAfterTheSyncLosesNothing) {
    test::TempDir dir;
    dir.Write("opt.tmb", "old\r\n");
    test::FailingFileCalls calls;
    calls.FailAt(Call::kClose, EIO);
    ReplacingFile file(calls);
    file.Start(dir.file("opt.tmb"));
    file.WriteLine("new");
    file.Commit();
    EXPECT_EQ(dir.Read("opt.tmb"), "new\r\n");
    // A scratch that is not synced reports it: its last block may not have reached the disk.
    ScratchFile scratch(calls);
    scratch.Rewrite(dir.file("temp.dlg"));
    scratch.WriteLine("plain");
    EXPECT_THROW(scratch.Close(), InOutError);
}

TEST(FileWriters, AFailedAppendLeavesTheFileAsItWas) {
    test::TempDir dir;
    dir.Write("path.tmb", "dlg\\1.dlg");
    test::FailingFileCalls calls;
    AppendingFile file(calls);
    for (const Call step : {Call::kWrite, Call::kFsync}) {
        calls.FailAt(step, ENOSPC);
        file.Open(dir.file("path.tmb"));
        file.WriteLine("dlg\\2.dlg");
        EXPECT_THROW(file.Commit(), InOutError);
        EXPECT_EQ(dir.Read("path.tmb"), "dlg\\1.dlg");
    }
    calls.Heal();
    file.Open(dir.file("path.tmb"));
    file.WriteLine("dlg\\2.dlg");
    file.Commit();
    EXPECT_EQ(dir.Read("path.tmb"), "dlg\\1.dlg\r\ndlg\\2.dlg\r\n");
}

TEST(FileWriters, AShortWriteIsCompletedNotLost) {
    class ShortWrites : public FileCalls {
    public:
        ssize_t Write(int fd, const void* buffer, size_t size) override {
            return FileCalls::Write(fd, buffer, size > 7 ? 7 : size);
        }
    } calls;
    test::TempDir dir;
    ScratchFile file(calls);
    file.Rewrite(dir.file("out.txt"));
    file.WriteLine(std::string(200, 'q'));
    file.Close();
    EXPECT_EQ(dir.Read("out.txt"), std::string(200, 'q') + "\r\n");
}

}  // namespace
}  // namespace tumbo
