#include "engine/dialogue_path.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "engine/base_format.h"
#include "platform/cp1251_literal.h"
#include "platform/file_access.h"

namespace tumbo::dialogue_path {

std::string Fault(std::string_view entry) {
    const std::string path = file_access::SystemPath(entry);
    if (path.find('\0') != std::string::npos) {
        return "it holds a NUL byte";
    }
    if (path.starts_with('/')) {
        return "it is an absolute path";
    }
    const std::string folder = std::string(base_format::kDialogueFolder) + "/";
    if (!path.starts_with(folder)) {
        return "it names no file in the folder dlg";
    }
    bool named = false;
    for (std::size_t at = 0; at <= path.size();) {
        const auto end = std::min(path.find('/', at), path.size());
        const std::string_view part = std::string_view(path).substr(at, end - at);
        if (part == "..") {
            return "it goes up a folder with ..";
        }
        named = !part.empty() && part != ".";
        at = end + 1;
    }
    return named ? std::string() : "it names the folder dlg, not a file in it";
}

std::optional<std::string> FileOf(std::string_view entry) {
    return Fault(entry).empty() ? std::optional(file_access::SystemPath(entry)) : std::nullopt;
}

EntryRefused::EntryRefused(const std::string& entry, const std::string& operation,
                           const std::string& pathList, const std::string& reason)
    : TumboError(
          Cp1251(u8"Строка списка диалогов \"").str() + entry +
              Cp1251(u8"\" указывает не на файл в папке dlg базы: программа её не трогает").str(),
          FailureDetails(operation, pathList, 0, "the entry " + entry + " is refused: " + reason)) {
}

void RequireRealFolders(FileCalls& calls, const std::string& programDir, std::string_view folder,
                        const std::string& operation) {
    std::string path = programDir;
    for (std::size_t at = 0; at < folder.size();) {
        const auto end = std::min(folder.find('/', at), folder.size());
        path.append(folder.substr(at, end - at));
        at = end + 1;
        struct stat info {};
        const int err = file_access::LookAt(calls, path, info);
        if (err == ENOENT) {
            return;
        }
        if (err != 0) {
            file_access::Fail(calls, err, operation, path);
        }
        if (S_ISLNK(info.st_mode)) {
            throw InOutError(io_code::kAccessDenied, operation, path, 0,
                             "the folder is a symbolic link, and the program never follows one "
                             "out of the data folder");
        }
        if (!S_ISDIR(info.st_mode)) {
            throw InOutError(io_code::kInvalidFilename, operation, path, 0,
                             "a folder of the base is expected here");
        }
        path += '/';
    }
}

std::string Checker::Require(std::string_view entry, const std::string& operation) {
    const std::string pathList = programDir_ + std::string(base_format::kPathList);
    const std::string fault = Fault(entry);
    if (!fault.empty()) {
        throw EntryRefused(std::string(entry), operation, pathList, fault);
    }
    std::string file = file_access::SystemPath(entry);
    const std::string folder = file.substr(0, file.find_last_of('/'));
    if (checked_ != folder) {
        try {
            RequireRealFolders(calls_, programDir_, folder, operation);
        } catch (const InOutError& error) {
            // Only a link or a file in a folder's place is the entry's fault.
            if (error.systemError() != 0) {
                throw;
            }
            throw EntryRefused(std::string(entry), operation, pathList,
                               "a folder on its way to it, below " + programDir_ + folder +
                                   ", is a symbolic link or not a folder");
        }
        checked_ = folder;
    }
    return programDir_ + file;
}

std::string Require(FileCalls& calls, const std::string& programDir, std::string_view entry,
                    const std::string& operation) {
    return Checker(calls, programDir).Require(entry, operation);
}

}  // namespace tumbo::dialogue_path
