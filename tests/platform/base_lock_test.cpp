#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/base_lock.h"
#include "platform/errors.h"
#include "support/failing_file_calls.h"
#include "support/temp_dir.h"

namespace tumbo {
namespace {

TEST(BaseLock, OneHolderPerFolderAndFoldersApart) {
    test::TempDir one;
    test::TempDir other;
    auto held = BaseLock::TryAcquire(one.path().string());
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(BaseLock::TryAcquire(one.path().string()), nullptr);
    EXPECT_EQ(BaseLock::TryAcquire(one.prefix() + "."), nullptr) << "however it is spelt";
    EXPECT_NE(BaseLock::TryAcquire(other.path().string()), nullptr);
    held.reset();
    EXPECT_NE(BaseLock::TryAcquire(one.path().string()), nullptr);
    EXPECT_TRUE(one.Names().empty()) << "the lock writes nothing into the folder";
    EXPECT_THROW(BaseLock::TryAcquire(one.file("missing")), InOutError);
}

TEST(BaseLock, AKilledHolderLetsGo) {
    test::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        auto lock = BaseLock::TryAcquire(dir.path().string());
        const char held = lock != nullptr ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    EXPECT_EQ(BaseLock::TryAcquire(dir.path().string()), nullptr);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_NE(BaseLock::TryAcquire(dir.path().string()), nullptr);
    ::close(ready[0]);
    ::close(ready[1]);
}

// What TryAcquire gives in a child process that cannot list `folder`: 'y' held, 'n' busy,
// 'e' an error. Root is not kept out by modes, so the child runs as nobody.
char LockAsUnlistingUser(const std::string& folder) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 && ::setresuid(65534, 65534, 65534) != 0) {
            ::_exit(3);
        }
        char result = 'e';
        try {
            result = BaseLock::TryAcquire(folder) != nullptr ? 'y' : 'n';
        } catch (const InOutError&) {
        }
        ::_exit(result);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? static_cast<char>(WEXITSTATUS(status)) : '?';
}

// A shared folder others may write into but not list (0733), or one's own 0300: the
// lock file inside keeps every writer to one, whichever way each can lock.
TEST(BaseLock, AFolderThatCannotBeListedIsLockedByAFileInside) {
    test::TempDir dir;
    const std::string folder = dir.prefix() + "shared";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const bool root = ::getuid() == 0;
    ASSERT_EQ(::chmod(folder.c_str(), root ? 0733 : 0300), 0);
    if (root) {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    }
    const std::string lockFile = folder + "/" + BaseLock::kLockFile;

    EXPECT_EQ(LockAsUnlistingUser(folder), 'y');
    {
        auto held = BaseLock::TryAcquire(folder);
        ASSERT_NE(held, nullptr);
        EXPECT_TRUE(std::filesystem::exists(lockFile));
        EXPECT_EQ(LockAsUnlistingUser(folder), 'n') << "the holder keeps out who cannot list";
    }
    // Someone who could not list the folder holds it: only the file is locked.
    const int other = ::open(lockFile.c_str(), O_RDONLY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(BaseLock::TryAcquire(folder), nullptr);
    ::close(other);
    EXPECT_NE(BaseLock::TryAcquire(folder), nullptr);
    ::chmod(folder.c_str(), 0700);
}

// No lock is an error the caller is told, never a run as if it held one nor another
// holder's: neither the folder nor a file in it can be opened, or the system gives no
// locks (a file system without them).
TEST(BaseLock, NoLockAtAllIsAnError) {
    test::TempDir dir;
    test::FailingFileCalls calls;
    calls.FailAt(test::FailingFileCalls::Call::kFlock, ENOLCK);
    try {
        BaseLock::TryAcquire(dir.path().string(), calls);
        ADD_FAILURE() << "locked";
    } catch (const InOutError& error) {
        EXPECT_EQ(error.systemError(), ENOLCK);
        EXPECT_NE(error.details().find("Operation: lock the data folder"), std::string::npos);
    }

    const std::string folder = dir.prefix() + "closed";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0111), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0711), 0);
    EXPECT_EQ(LockAsUnlistingUser(folder), 'e');
    ::chmod(folder.c_str(), 0700);
}

TEST(BaseLock, TheFolderOfAProgramDirectory) {
    EXPECT_EQ(DataFolderOf("/srv/tumbo/"), "/srv/tumbo");
    EXPECT_EQ(DataFolderOf("/srv/tumbo/pre"), "/srv/tumbo");
    EXPECT_EQ(DataFolderOf("C:\\tumbo\\"), "C:/tumbo");
    EXPECT_EQ(DataFolderOf("/"), "/");
    EXPECT_EQ(DataFolderOf(""), ".");
    EXPECT_EQ(DataFolderOf("relative"), ".");
}

}  // namespace
}  // namespace tumbo
