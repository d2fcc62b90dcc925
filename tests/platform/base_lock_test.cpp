#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/base_lock.h"
#include "platform/errors.h"
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
