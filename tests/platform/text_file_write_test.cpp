#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"
#include "platform/text_file.h"
#include "support/failing_file_calls.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

using Call = test::FailingFileCalls::Call;

TEST(TextFileWrite, LinesEndWithCrLf) {
    test::TempDir dir;
    TextFile file;
    file.Assign(dir.file("out.txt"));
    file.Rewrite();
    file.WriteLine("one");
    file.WriteLine("");
    file.WriteLine("\xc0\xff");
    file.Close();
    EXPECT_EQ(dir.Read("out.txt"), "one\r\n\r\n\xc0\xff\r\n");
}

TEST(TextFileWrite, LineBreaksInsideTheTextBecomeBlanks) {
    test::TempDir dir;
    TextFile file;
    file.Assign(dir.file("out.txt"));
    file.Rewrite();
    file.WriteLine(
        "a\r\nb\rc\nd\x1a"
        "e");
    file.Close();
    EXPECT_EQ(dir.Read("out.txt"), "a  b c d e\r\n");
}

TEST(TextFileWrite, OutputReachesTheDiskIn128ByteBlocks) {
    test::TempDir dir;
    TextFile file;
    file.Assign(dir.file("out.txt"));
    file.Rewrite();
    file.WriteLine(std::string(100, 'a'));
    EXPECT_EQ(dir.Read("out.txt"), "") << "still in the buffer";
    file.WriteLine(std::string(100, 'b'));
    EXPECT_EQ(dir.Read("out.txt").size(), 128u);
    file.Close();
    EXPECT_EQ(dir.Read("out.txt").size(), 204u);
}

TEST(TextFileWrite, RewriteTruncatesAndAppendAddsAtTheEnd) {
    test::TempDir dir;
    dir.Write("out.txt", "old old old\r\n");
    TextFile file;
    file.Assign(dir.file("out.txt"));
    file.Rewrite();
    file.WriteLine("new");
    file.Close();
    file.AppendOnNewLine();
    file.WriteLine("more");
    file.Close();
    EXPECT_EQ(dir.Read("out.txt"), "new\r\nmore\r\n");
}

TEST(TextFileWrite, AppendNeedsAnExistingFile) {
    test::TempDir dir;
    TextFile file;
    file.Assign(dir.file("missing.txt"));
    EXPECT_THROW(file.AppendOnNewLine(), InOutError);
    EXPECT_FALSE(dir.Exists("missing.txt"));
}

TEST(TextFileWrite, OpeningAgainWritesOutWhatWasBuffered) {
    test::TempDir dir;
    TextFile file;
    file.Assign(dir.file("out.txt"));
    file.Rewrite();
    file.WriteLine("kept");
    file.AppendOnNewLine();
    file.WriteLine("then");
    file.Close();
    EXPECT_EQ(dir.Read("out.txt"), "kept\r\nthen\r\n");
}

TEST(TextFileWrite, WholeRewriteReplacesTheFileOnlyWhenClosed) {
    test::TempDir dir;
    dir.Write("opt.tmb", "old\r\n");
    TextFile file;
    file.Assign(dir.file("opt.tmb"));
    file.RewriteWhole();
    file.WriteLine(std::string(300, 'n'));
    EXPECT_EQ(dir.Read("opt.tmb"), "old\r\n");
    file.Close();
    EXPECT_EQ(dir.Read("opt.tmb"), std::string(300, 'n') + "\r\n");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"opt.tmb"});
}

struct WriteFault {
    const char* name;
    Call call;
    int err;
    int fromUse;
    const char* message;
};

class WholeRewriteFault : public testing::TestWithParam<WriteFault> {};

TEST_P(WholeRewriteFault, LeavesTheOldFileWholeAndNoLeftovers) {
    const WriteFault& fault = GetParam();
    test::TempDir dir;
    dir.Write("opt.tmb", "old\r\nfalse\r\n70\r\n5\r\n");
    test::FailingFileCalls calls;
    calls.FailAt(fault.call, fault.err, fault.fromUse);
    TextFile file(calls);
    file.Assign(dir.file("opt.tmb"));
    try {
        file.RewriteWhole();
        for (int line = 0; line < 10; ++line) {
            file.WriteLine(std::string(60, 'x'));
        }
        file.Close();
        ADD_FAILURE() << "no failure reported";
    } catch (const InOutError& error) {
        EXPECT_STREQ(error.what(), fault.message);
    }
    // A failed file is released quietly by the next open.
    calls.FailAt(Call::kNone, 0);
    file.Reset();
    EXPECT_EQ(file.ReadLine(), "old");
    file.Close();
    EXPECT_EQ(dir.Read("opt.tmb"), "old\r\nfalse\r\n70\r\n5\r\n");
    EXPECT_EQ(dir.Names(), std::set<std::string>{"opt.tmb"}) << "no new version left behind";
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, WholeRewriteFault,
    testing::Values(WriteFault{"Open", Call::kOpen, EACCES, 1, "File access denied"},
                    WriteFault{"FirstWrite", Call::kWrite, ENOSPC, 1, "I/O error 112"},
                    WriteFault{"LaterWrite", Call::kWrite, ENOSPC, 3, "I/O error 112"},
                    WriteFault{"Sync", Call::kFsync, EIO, 1, "I/O error 1005"},
                    WriteFault{"Rename", Call::kRename, EXDEV, 1, "I/O error 1018"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(TextFileWrite, ACloseFailingAfterTheSyncLosesNothing) {
    test::TempDir dir;
    dir.Write("opt.tmb", "old\r\n");
    test::FailingFileCalls calls;
    calls.FailAt(Call::kClose, EIO);
    TextFile file(calls);
    file.Assign(dir.file("opt.tmb"));
    file.RewriteWhole();
    file.WriteLine("new");
    file.Close();
    EXPECT_EQ(dir.Read("opt.tmb"), "new\r\n");
    // A file that is not synced reports it: its last block may not have reached the disk.
    file.Rewrite();
    file.WriteLine("plain");
    EXPECT_THROW(file.Close(), InOutError);
}

TEST(TextFileWrite, AFailedAppendLeavesTheFileAsItWas) {
    test::TempDir dir;
    dir.Write("path.tmb", "dlg\\1.dlg");
    test::FailingFileCalls calls;
    TextFile file(calls);
    file.Assign(dir.file("path.tmb"));
    for (const Call step : {Call::kWrite, Call::kFsync}) {
        calls.FailAt(step, ENOSPC);
        file.AppendOnNewLine();
        file.WriteLine("dlg\\2.dlg");
        EXPECT_THROW(file.Close(), InOutError);
        EXPECT_EQ(dir.Read("path.tmb"), "dlg\\1.dlg");
    }
    calls.Heal();
    file.AppendOnNewLine();
    file.WriteLine("dlg\\2.dlg");
    file.Close();
    EXPECT_EQ(dir.Read("path.tmb"), "dlg\\1.dlg\r\ndlg\\2.dlg\r\n");
}

TEST(TextFileWrite, AShortWriteIsCompletedNotLost) {
    class ShortWrites : public FileCalls {
    public:
        ssize_t Write(int fd, const void* buffer, size_t size) override {
            return FileCalls::Write(fd, buffer, size > 7 ? 7 : size);
        }
    } calls;
    test::TempDir dir;
    TextFile file(calls);
    file.Assign(dir.file("out.txt"));
    file.Rewrite();
    file.WriteLine(std::string(200, 'q'));
    file.Close();
    EXPECT_EQ(dir.Read("out.txt"), std::string(200, 'q') + "\r\n");
}

}  // namespace
}  // namespace tumbo
