#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/errors.h"
#include "platform/integer_text.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

TEST(Errors, ErrnoMapsToTheNamedCodesOnlyWhenItMeansTheSame) {
    test::TempDir dir;
    EXPECT_EQ(CodeFromErrno(ENOENT, dir.file("x")), 2);
    EXPECT_EQ(CodeFromErrno(ENOENT, dir.file("no/x")), 3);
    EXPECT_EQ(CodeFromErrno(ENOTDIR, "a"), 3);
    EXPECT_EQ(CodeFromErrno(ENAMETOOLONG, "a"), 3);
    EXPECT_EQ(CodeFromErrno(EMFILE, "a"), 4);
    EXPECT_EQ(CodeFromErrno(ENFILE, "a"), 4);
    for (int err : {EACCES, EPERM, EROFS, EISDIR}) {
        EXPECT_EQ(CodeFromErrno(err, "a"), 5) << err;
    }
    EXPECT_EQ(CodeFromErrno(ENOSPC, "a"), 112);
    // EIO is 5 on Linux, like "access denied" elsewhere: it must not read as that.
    for (int err : {EIO, EXDEV, EINVAL, EFBIG, EOVERFLOW, ELOOP}) {
        const std::string message = InOutError(CodeFromErrno(err, "a")).what();
        EXPECT_EQ(message.rfind("I/O error ", 0), 0u) << err << ": " << message;
    }
}

TEST(Errors, Messages) {
    EXPECT_STREQ(InOutError(2).what(), "File not found");
    EXPECT_STREQ(InOutError(3).what(), "Invalid filename");
    EXPECT_STREQ(InOutError(4).what(), "Too many open files");
    EXPECT_STREQ(InOutError(5).what(), "File access denied");
    EXPECT_STREQ(InOutError(106).what(), "Invalid numeric input");
    EXPECT_STREQ(InOutError(32).what(), "I/O error 32");
    EXPECT_STREQ(ConvertError("41x").what(), "'41x' is not a valid integer value");
    EXPECT_STREQ(RegistryError("programdir").what(), "Invalid data type for 'programdir'");
}

TEST(Errors, DetailsNameTheFileFromTheRoot) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(FailureDetails("open for reading", "dlg/7.dlg", ENOENT),
              "Operation: open for reading\nFile: " + cwd + "/dlg/7.dlg" +
                  "\nSystem: No such file or directory (errno 2)");
    EXPECT_EQ(FailureDetails("read a number from", "/b/opt.tmb", 0, "\"x\" is not a number"),
              "Operation: read a number from\nFile: /b/opt.tmb\nReason: \"x\" is not a number");
    EXPECT_EQ(InOutError(5).details(), "");
}

}  // namespace
}  // namespace tumbo
