#pragma once

#include <memory>
#include <string>

namespace tumbo {

// Keeps a data folder to one writer. The lock is the system's, on the folder itself: it
// goes with the process however the process ends, kill and crash included, and it writes
// nothing into the folder.
class BaseLock {
public:
    ~BaseLock();
    BaseLock(const BaseLock&) = delete;
    BaseLock& operator=(const BaseLock&) = delete;

    // The lock on `folder`, or nullptr when another holder has it. Throws InOutError
    // when the folder cannot be opened.
    static std::unique_ptr<BaseLock> TryAcquire(const std::string& folder);

private:
    explicit BaseLock(int fd) : fd_(fd) {}
    int fd_;
};

// The folder that holds the data files of a program directory, which is a plain prefix:
// "/srv/tumbo/" and "/srv/tumbo/x" both give "/srv/tumbo", and "" gives ".".
std::string DataFolderOf(const std::string& programDir);

}  // namespace tumbo
