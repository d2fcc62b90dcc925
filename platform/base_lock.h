#pragma once

#include <memory>
#include <string>

#include "platform/file_calls.h"

namespace tumbo {

// Keeps a data folder to one writer. The lock is the system's, on the folder itself: it
// goes with the process however the process ends, kill and crash included. A folder that
// lets someone write into it who cannot list it (mode 0300, a shared 0733) cannot be
// locked by everyone who may write there, so for such a folder every holder also locks
// the file kLockFile inside it, made when missing; nothing else is ever written.
class BaseLock {
public:
    static constexpr char kLockFile[] = ".tumbo3.lock";

    ~BaseLock();
    BaseLock(const BaseLock&) = delete;
    BaseLock& operator=(const BaseLock&) = delete;

    // The lock on `folder`, or nullptr when another holder has it. Throws InOutError
    // when the folder is not there or no lock can be had on it.
    static std::unique_ptr<BaseLock> TryAcquire(const std::string& folder,
                                                FileCalls& calls = SystemFileCalls());

private:
    BaseLock(FileCalls& calls, int folderFd, int fileFd)
        : calls_(calls), folderFd_(folderFd), fileFd_(fileFd) {}
    FileCalls& calls_;
    int folderFd_;
    int fileFd_;
};

// The folder that holds the data files of a program directory, which is a plain prefix:
// "/srv/tumbo/" and "/srv/tumbo/x" both give "/srv/tumbo", and "" gives ".".
std::string DataFolderOf(const std::string& programDir);

}  // namespace tumbo
