#include "engine/base_install.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/base_format.h"
#include "engine/dialogue_path.h"
#include "platform/base_lock.h"
#include "platform/errors.h"
#include "platform/file_access.h"
#include "platform/line_reader.h"
#include "platform/replacing_file.h"

namespace tumbo {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

using file_access::Fail;

std::string Join(const std::string& folder, std::string_view name) {
    return folder + "/" + std::string(name);
}

// Closes a descriptor of the seam when it goes out of scope.
class Descriptor {
public:
    Descriptor(FileCalls& calls, int fd) : calls_(calls), fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            calls_.Close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    FileCalls& calls_;
    int fd_;
};

constexpr std::uint64_t kWholeFile = static_cast<std::uint64_t>(-1);

// Hands `take` the first `limit` bytes of a file, which must exist, a chunk at a time: a
// file of any size costs one chunk.
void ReadChunks(FileCalls& calls, const std::string& path, std::uint64_t limit,
                const std::function<void(std::string_view)>& take) {
    Descriptor fd(calls, calls.Open(path.c_str(), O_RDONLY | O_CLOEXEC, 0));
    if (fd.get() < 0) {
        Fail(calls, errno, "open for reading", path);
    }
    std::vector<char> buffer(kChunk);
    while (limit > 0) {
        const ssize_t got =
            calls.Read(fd.get(), buffer.data(), std::min<std::uint64_t>(buffer.size(), limit));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(calls, errno, "read", path);
        }
        if (got == 0) {
            break;
        }
        take(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        limit -= static_cast<std::uint64_t>(got);
    }
}

// Whether the first `size` bytes of two files are there and the same.
bool SameStart(FileCalls& calls, const std::string& one, const std::string& other,
               std::uint64_t size) {
    std::string theirs;
    std::uint64_t compared = 0;
    bool same = true;
    Descriptor fd(calls, calls.Open(other.c_str(), O_RDONLY | O_CLOEXEC, 0));
    if (fd.get() < 0) {
        Fail(calls, errno, "open for reading", other);
    }
    ReadChunks(calls, one, size, [&](std::string_view ours) {
        theirs.resize(ours.size());
        std::size_t have = 0;
        while (same && have < theirs.size()) {
            const ssize_t got = calls.Read(fd.get(), theirs.data() + have, theirs.size() - have);
            if (got < 0 && errno != EINTR) {
                Fail(calls, errno, "read", other);
            }
            same = got != 0;
            have += got > 0 ? static_cast<std::size_t>(got) : 0;
        }
        same = same && ours == theirs;
        compared += ours.size();
    });
    return same && compared == size;
}

// A new file with the bytes of `from`, on the disk when this returns (its name is not yet).
void CopySynced(FileCalls& calls, const std::string& from, const std::string& path) {
    Descriptor fd(calls, calls.Open(path.c_str(),
                                    O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        Fail(calls, errno, "create", path);
    }
    ReadChunks(calls, from, kWholeFile, [&](std::string_view bytes) {
        if (const int err = file_access::WriteAll(calls, fd.get(), bytes); err != 0) {
            Fail(calls, err, "write", path);
        }
    });
    if (calls.Fsync(fd.get()) != 0) {
        Fail(calls, errno, "sync", path);
    }
    if (calls.Close(fd.release()) != 0) {
        Fail(calls, errno, "close", path);
    }
}

void SyncFolder(FileCalls& calls, const std::string& folder) {
    if (const int err = file_access::SyncFolder(calls, folder); err != 0) {
        Fail(calls, err, "sync the folder", folder);
    }
}

// Makes the folder and the missing ones above it, each name synced into the folder above,
// so that a base said to be installed outlasts a power cut; true when it made the folder.
bool MakeFolders(FileCalls& calls, const std::string& folder) {
    if (calls.Mkdir(folder.c_str(), 0755) != 0) {
        if (errno == EEXIST) {
            return false;
        }
        const auto slash = folder.find_last_of('/');
        if (errno != ENOENT || slash == std::string::npos || slash == 0) {
            Fail(calls, errno, "create the folder", folder);
        }
        MakeFolders(calls, folder.substr(0, slash));
        if (calls.Mkdir(folder.c_str(), 0755) != 0) {
            if (errno == EEXIST) {
                return false;
            }
            Fail(calls, errno, "create the folder", folder);
        }
    }
    if (const int err = file_access::SyncFolderOf(calls, folder); err != 0) {
        Fail(calls, err, "sync the folder above", folder);
    }
    return true;
}

bool Exists(FileCalls& calls, const std::string& path, struct stat* info = nullptr) {
    struct stat ignored {};
    if (calls.Stat(path.c_str(), info != nullptr ? info : &ignored) == 0) {
        return true;
    }
    if (errno != ENOENT) {
        Fail(calls, errno, "look for", path);
    }
    return false;
}

// Something at the name, a dangling link included; anything but a plain "not there" counts.
bool NameTaken(FileCalls& calls, const std::string& path) {
    struct stat info {};
    return calls.Lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// The bundled base's dialogue entries, in its order.
std::vector<std::string> BundledEntries(FileCalls& calls, const std::string& bundled) {
    LineReader list(calls);
    std::vector<std::string> entries =
        base_format::ReadPathList(list, Join(bundled, base_format::kPathList));
    std::erase_if(entries, [](const std::string& entry) {
        return !base_format::IsUsualDialogueEntry(entry);
    });
    return entries;
}

// What is at the build folder's name: nothing, a real folder holding only what an install
// writes there (a crash's half-built base), or anything else, which is never emptied,
// built in or moved.
enum class BuildFolder { kNone, kOwn, kForeign };

bool IsInstallsFile(std::string_view name) {
    for (const std::string_view own :
         {base_format::kOptionFile, base_format::kPathList, base_format::kWordSubstitutions,
          base_format::kConcepts, base_format::kRecordedVersion}) {
        if (name == own) {
            return true;
        }
    }
    return name == BaseLock::kLockFile;
}

BuildFolder LookAtBuildFolder(FileCalls& calls, const std::string& building) {
    struct stat info {};
    const int err = file_access::LookAt(calls, building, info);
    if (err == ENOENT) {
        return BuildFolder::kNone;
    }
    if (err != 0) {
        Fail(calls, err, "look at", building);
    }
    if (!S_ISDIR(info.st_mode)) {
        return BuildFolder::kForeign;
    }
    bool own = true;
    const auto isFile = [&](const std::string& path) {
        return file_access::LookAt(calls, path, info) == 0 && S_ISREG(info.st_mode);
    };
    if (calls.ListFolder(building.c_str(), [&](std::string_view name) {
            const std::string path = Join(building, name);
            if (name == base_format::kDialogueFolder) {
                own = own && file_access::LookAt(calls, path, info) == 0 && S_ISDIR(info.st_mode);
                return;
            }
            own = own && IsInstallsFile(name) && isFile(path);
        }) != 0) {
        Fail(calls, errno, "list", building);
    }
    const std::string dialogues = Join(building, base_format::kDialogueFolder);
    if (own && file_access::LookAt(calls, dialogues, info) == 0) {
        calls.ListFolder(dialogues.c_str(), [&](std::string_view name) {
            own = own && base_format::IsUsualDialogueEntry("dlg\\" + std::string(name)) &&
                  isFile(Join(dialogues, name));
        });
    }
    return own ? BuildFolder::kOwn : BuildFolder::kForeign;
}

[[noreturn]] void RefuseBuildFolder(const std::string& building) {
    throw InOutError(io_code::kAccessDenied, "build the new base in", building, 0,
                     "something the program did not make is at that name (a link, a file or a "
                     "folder holding other files); it is left as it is, and the base is "
                     "installed at the first start after it is removed");
}

// A crash's half-built folder, which LookAtBuildFolder found the install's own, is emptied;
// what cannot be removed is left for the build to fail on.
void EmptyFolder(FileCalls& calls, const std::string& folder) {
    std::vector<std::string> names;
    calls.ListFolder(folder.c_str(), [&names](std::string_view name) { names.emplace_back(name); });
    for (const std::string& name : names) {
        const std::string path = Join(folder, name);
        struct stat info {};
        if (calls.Lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            EmptyFolder(calls, path);
            calls.Rmdir(path.c_str());
        } else {
            calls.Unlink(path.c_str());
        }
    }
}

void BuildBase(FileCalls& calls, const std::string& bundled, const std::string& building,
               const InstallProgress& progress) {
    const std::string dialogues = Join(building, base_format::kDialogueFolder);
    MakeFolders(calls, dialogues);
    const std::vector<std::string> entries = BundledEntries(calls, bundled);
    // The base's optional files, each copied when the bundled base has it.
    std::vector<std::pair<std::string, std::string_view>> optional;
    for (const auto& [from, to] :
         {std::pair{base_format::kWordSubstitutions, base_format::kWordSubstitutions},
          std::pair{base_format::kConcepts, base_format::kConcepts},
          std::pair{base_format::kBundledVersion, base_format::kRecordedVersion}}) {
        if (Exists(calls, Join(bundled, from))) {
            optional.emplace_back(Join(bundled, from), to);
        }
    }
    const int total = static_cast<int>(entries.size() + 2 + optional.size());
    int done = 0;
    const auto copied = [&] {
        if (progress) {
            progress(++done, total);
        }
    };
    for (const std::string& entry : entries) {
        const std::string file = *dialogue_path::FileOf(entry);
        CopySynced(calls, Join(bundled, file), Join(building, file));
        copied();
    }
    for (const std::string_view name : {base_format::kOptionFile, base_format::kPathList}) {
        CopySynced(calls, Join(bundled, name), Join(building, name));
        copied();
    }
    for (const auto& [from, to] : optional) {
        CopySynced(calls, from, Join(building, to));
        copied();
    }
    SyncFolder(calls, dialogues);
    SyncFolder(calls, building);
}

// Whether the user's file is what an interrupted copy of the bundled one leaves.
bool HalfCopied(FileCalls& calls, const std::string& user, const std::string& bundled) {
    struct stat userInfo {};
    struct stat bundledInfo {};
    if (!NameTaken(calls, user)) {
        return true;
    }
    if (!Exists(calls, user, &userInfo) || !S_ISREG(userInfo.st_mode) ||
        !Exists(calls, bundled, &bundledInfo) || userInfo.st_size >= bundledInfo.st_size) {
        return false;
    }
    return SameStart(calls, user, bundled, static_cast<std::uint64_t>(userInfo.st_size));
}

void Complete(FileCalls& calls, const std::string& user, const std::string& bundled) {
    ReplacingFile file(calls);
    file.Start(user);
    ReadChunks(calls, bundled, kWholeFile,
               [&file](std::string_view bytes) { file.WriteBytes(bytes); });
    file.Commit();
}

}  // namespace

InstallResult InstallBundledBase(const std::string& bundled, const std::string& folder,
                                 FileCalls& calls, const InstallProgress& progress) {
    if (NameTaken(calls, folder)) {
        return InstallResult::kPresent;
    }
    const auto slash = folder.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : folder.substr(0, slash);
    const std::string building =
        (parent.empty() ? "" : parent) + "/." + folder.substr(slash + 1) + ".install";
    if (!parent.empty()) {
        MakeFolders(calls, parent);
    }
    // Never followed through a link, never emptied unless the install made what is there.
    if (LookAtBuildFolder(calls, building) == BuildFolder::kForeign) {
        RefuseBuildFolder(building);
    }
    MakeFolders(calls, building);
    const std::unique_ptr<BaseLock> lock = BaseLock::TryAcquire(building, calls);
    if (lock == nullptr) {
        return InstallResult::kInstalling;
    }
    if (LookAtBuildFolder(calls, building) != BuildFolder::kOwn) {
        RefuseBuildFolder(building);
    }
    // Another start may have finished while this one waited for the lock.
    if (NameTaken(calls, folder)) {
        EmptyFolder(calls, building);
        calls.Rmdir(building.c_str());
        return InstallResult::kPresent;
    }
    EmptyFolder(calls, building);
    BuildBase(calls, bundled, building, progress);
    // The lock goes with the folder: it is the new base's lock until this returns.
    if (LookAtBuildFolder(calls, building) != BuildFolder::kOwn) {
        RefuseBuildFolder(building);
    }
    if (calls.RenameNoReplace(building.c_str(), folder.c_str()) != 0) {
        const int err = errno;
        if (NameTaken(calls, folder)) {
            return InstallResult::kPresent;
        }
        Fail(calls, err, "move the new base to", folder);
    }
    SyncFolder(calls, parent.empty() ? "/" : parent);
    return InstallResult::kInstalled;
}

int RepairBase(const std::string& bundled, const std::string& folder, FileCalls& calls) {
    const std::string userList = Join(folder, base_format::kPathList);
    const std::string bundledList = Join(bundled, base_format::kPathList);
    bool listHalfCopied = HalfCopied(calls, userList, bundledList);
    if (listHalfCopied && NameTaken(calls, userList)) {
        std::uint64_t size = 0;
        char last = '\0';
        ReadChunks(calls, userList, kWholeFile, [&](std::string_view bytes) {
            size += bytes.size();
            last = bytes.back();
        });
        listHalfCopied = size == 0 ? !NameTaken(calls, Join(folder, base_format::kRecordedVersion))
                                   : last != '\n';
    }
    std::vector<std::string> entries;
    if (listHalfCopied) {
        entries = BundledEntries(calls, bundled);
    } else {
        LineReader list(calls);
        entries = base_format::ReadPathList(list, userList);
    }
    int completed = 0;
    const auto completeIfHalf = [&](std::string_view name) {
        const std::string user = Join(folder, name);
        const std::string source = Join(bundled, name);
        if (Exists(calls, source) && HalfCopied(calls, user, source)) {
            Complete(calls, user, source);
            ++completed;
        }
    };
    // Nothing is completed through a linked dlg.
    dialogue_path::RequireRealFolders(calls, folder + "/", base_format::kDialogueFolder,
                                      "complete the dialogues in");
    for (const std::string& entry : entries) {
        if (!base_format::IsUsualDialogueEntry(entry)) {
            continue;  // nothing outside the dialogue folder is written
        }
        const std::string dialogues = Join(folder, base_format::kDialogueFolder);
        if (!NameTaken(calls, dialogues) &&
            Exists(calls, Join(bundled, base_format::DialogueFilePath(entry)))) {
            MakeFolders(calls, dialogues);
        }
        completeIfHalf(base_format::DialogueFilePath(entry));
    }
    completeIfHalf(base_format::kOptionFile);
    if (listHalfCopied) {
        Complete(calls, userList, bundledList);
        ++completed;
    }
    return completed;
}

bool BundledVersionRecorded(const std::string& bundled, const std::string& folder,
                            FileCalls& calls) {
    const std::string version = Join(bundled, base_format::kBundledVersion);
    if (!Exists(calls, version)) {
        return true;
    }
    const std::string recorded = Join(folder, base_format::kRecordedVersion);
    struct stat recordedInfo {};
    struct stat versionInfo {};
    return Exists(calls, recorded, &recordedInfo) && Exists(calls, version, &versionInfo) &&
           recordedInfo.st_size == versionInfo.st_size &&
           SameStart(calls, recorded, version, static_cast<std::uint64_t>(versionInfo.st_size));
}

void RecordBundledVersion(const std::string& bundled, const std::string& folder, FileCalls& calls) {
    Complete(calls, Join(folder, base_format::kRecordedVersion),
             Join(bundled, base_format::kBundledVersion));
}

}  // namespace tumbo
