#pragma once

#include <stdexcept>
#include <string>

namespace tumbo {

// Base of every failure the program reports in its error box; what() is the box's text.
class TumboError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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
inline constexpr int kNotOpenForInput = 104;
inline constexpr int kNotOpenForOutput = 105;
inline constexpr int kInvalidNumericInput = 106;
}  // namespace io_code

// A failed file operation, carrying its code.
class InOutError : public TumboError {
public:
    explicit InOutError(int code);
    int code() const { return code_; }

private:
    int code_;
};

// Text that should have been an integer.
class ConvertError : public TumboError {
public:
    explicit ConvertError(const std::string& text);
};

// A registry value of a type other than a string.
class RegistryError : public TumboError {
public:
    explicit RegistryError(const std::string& valueName);
};

std::string InOutMessage(int code);

// Maps a POSIX errno from an operation on `path` to an error code. Codes of the
// named messages come only from the errno values that mean the same thing.
int CodeFromErrno(int err, const std::string& path);

}  // namespace tumbo
