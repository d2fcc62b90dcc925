#include "platform/errors.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace tumbo {

namespace {

// Codes for other failures sit above every code the program names, so an unusual
// errno (EIO is 5 on Linux) can never be shown as one of the named messages.
constexpr int kOtherErrnoBase = 1000;

bool FolderOfPathExists(const std::string& path, FileCalls& calls) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return true;
    }
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    struct stat info {};
    return calls.Stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A relative path names a file in the current folder, which the reader of a message
// does not see: it is shown from the root.
std::string FullPath(const std::string& path) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    std::string folder(PATH_MAX, '\0');
    if (::getcwd(folder.data(), folder.size()) == nullptr) {
        return path;
    }
    folder.resize(std::strlen(folder.c_str()));
    return folder + (folder.back() == '/' ? "" : "/") + path;
}

}  // namespace

InOutError::InOutError(int code, const std::string& operation, const std::string& path,
                       int systemError, const std::string& reason)
    : TumboError(InOutMessage(code), FailureDetails(operation, path, systemError, reason)),
      code_(code),
      systemError_(systemError) {}

ConvertError::ConvertError(const std::string& text, std::string details)
    : TumboError("'" + text + "' is not a valid integer value", std::move(details)) {}

std::string FailureDetails(const std::string& operation, const std::string& path, int systemError,
                           const std::string& reason) {
    std::string details;
    const auto add = [&details](const char* label, const std::string& text) {
        if (!text.empty()) {
            details += (details.empty() ? "" : "\n") + std::string(label) + text;
        }
    };
    add("Operation: ", operation);
    add("File: ", FullPath(path));
    if (systemError != 0) {
        // The description alone: the locale's translation would not be code page 1251.
        const char* description = ::strerrordesc_np(systemError);
        add("System: ", (description != nullptr ? std::string(description) : "unknown error") +
                            " (errno " + std::to_string(systemError) + ")");
    }
    add("Reason: ", reason);
    return details;
}

RegistryError::RegistryError(const std::string& valueName)
    : TumboError("Invalid data type for '" + valueName + "'") {}

std::string InOutMessage(int code) {
    switch (code) {
        case io_code::kFileNotFound:
            return "File not found";
        case io_code::kInvalidFilename:
            return "Invalid filename";
        case io_code::kTooManyOpenFiles:
            return "Too many open files";
        case io_code::kAccessDenied:
            return "File access denied";
        case io_code::kInvalidNumericInput:
            return "Invalid numeric input";
        case io_code::kLineTooLong:
            return "Line too long";
        default:
            return "I/O error " + std::to_string(code);
    }
}

int CodeFromErrno(int err, const std::string& path, FileCalls& calls) {
    switch (err) {
        case ENOENT:
            return FolderOfPathExists(path, calls) ? io_code::kFileNotFound
                                                   : io_code::kInvalidFilename;
        case ENOTDIR:
        case ENAMETOOLONG:
            return io_code::kInvalidFilename;
        case EMFILE:
        case ENFILE:
            return io_code::kTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return io_code::kAccessDenied;
        case EBUSY:
        case ETXTBSY:
            return io_code::kFileInUse;
        case ENOSPC:
        case EDQUOT:
            return io_code::kDiskFull;
        default:
            return kOtherErrnoBase + err;
    }
}

}  // namespace tumbo
