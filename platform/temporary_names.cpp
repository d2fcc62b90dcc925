#include "platform/temporary_names.h"

#include <random>
#include <vector>

namespace tumbo {

namespace {

constexpr std::string_view kTemporaryMark = ".tmp";
constexpr std::size_t kTemporaryTagLength = 6;

bool IsTemporaryOf(std::string_view entry, std::string_view fileName) {
    if (!entry.starts_with(fileName)) {
        return false;
    }
    const std::string_view rest = entry.substr(fileName.size());
    // Older versions used the one fixed name "opt.tmb.tmp".
    return rest == kTemporaryMark ||
           (rest.starts_with(kTemporaryMark) &&
            rest.size() == kTemporaryMark.size() + 1 + kTemporaryTagLength &&
            rest[kTemporaryMark.size()] == '-');
}

}  // namespace

std::string TemporaryNameFor(const std::string& path) {
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937_64 generator{std::random_device{}()};
    std::string name = path + std::string(kTemporaryMark) + "-";
    for (std::size_t i = 0; i < kTemporaryTagLength; ++i) {
        name.push_back(kLetters[generator() % kLetters.size()]);
    }
    return name;
}

std::string NewFileTemporaryFor(const std::string& path) {
    return path + std::string(kTemporaryMark);
}

void RemoveTemporariesIn(const std::string& folder,
                         const std::function<bool(std::string_view fileName)>& isOurs,
                         FileCalls& calls) noexcept {
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    // Removed after the listing: a folder changed while it is read may show a name twice.
    std::vector<std::string> leftovers;
    calls.ListFolder(folder.empty() ? "." : folder.c_str(), [&](std::string_view name) {
        const auto mark = name.rfind(kTemporaryMark);
        if (mark != std::string_view::npos && mark > 0 && isOurs(name.substr(0, mark)) &&
            IsTemporaryOf(name, name.substr(0, mark))) {
            leftovers.push_back(prefix + std::string(name));
        }
    });
    for (const std::string& path : leftovers) {
        calls.Unlink(path.c_str());
    }
}

}  // namespace tumbo
