#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "platform/file_calls.h"

namespace tumbo {

// Base of every failure the program reports in its error box; what() is the box's text.
// The details say where it happened, for the box's details and the tools' output.
class TumboError : public std::runtime_error {
public:
    explicit TumboError(const std::string& message, std::string details = {})
        : std::runtime_error(message), details_(std::move(details)) {}
    const std::string& details() const { return details_; }

private:
    std::string details_;
};

// Error codes shared with the original data-file conventions.
namespace io_code {
inline constexpr int kFileNotFound = 2;
inline constexpr int kInvalidFilename = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kFileInUse = 32;
inline constexpr int kDiskFull = 112;
inline constexpr int kFileNotOpen = 103;
inline constexpr int kInvalidNumericInput = 106;
// The program's own: a line longer than any reader of the base keeps.
inline constexpr int kLineTooLong = 120;
}  // namespace io_code

// A failed file operation, carrying its code, what was being done, to which file, and
// the system's errno (0 when the failure is the program's own, such as a bad number).
class InOutError : public TumboError {
public:
    explicit InOutError(int code, const std::string& operation = {}, const std::string& path = {},
                        int systemError = 0, const std::string& reason = {});
    int code() const { return code_; }
    int systemError() const { return systemError_; }

private:
    int code_;
    int systemError_;
};

// Text that should have been an integer.
class ConvertError : public TumboError {
public:
    explicit ConvertError(const std::string& text, std::string details = {});
};

// A registry value of a type other than a string.
class RegistryError : public TumboError {
public:
    explicit RegistryError(const std::string& valueName);
};

std::string InOutMessage(int code);

// "Operation: ...", "File: ..." and "System: ..." lines, each only when known.
std::string FailureDetails(const std::string& operation, const std::string& path,
                           int systemError = 0, const std::string& reason = {});

// Maps a POSIX errno from an operation on `path` to an error code. Codes of the
// named messages come only from the errno values that mean the same thing; a missing
// file is told from a missing folder by looking at its folder through `calls`.
int CodeFromErrno(int err, const std::string& path, FileCalls& calls = SystemFileCalls());

}  // namespace tumbo
