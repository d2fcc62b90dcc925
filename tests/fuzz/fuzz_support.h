#pragma once

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tumbo::fuzz {

// One folder for the whole fuzzing process; its contents are replaced on every input.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tumbo-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string prefix() const { return path_.string() + "/"; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Empties the folder, so nothing one input made is seen by the next.
    void Clear() const {
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            std::filesystem::remove_all(entry.path());
        }
    }

    void Write(const std::string& name, std::string_view bytes) const {
        const auto target = path_ / name;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::perror("scratch write");
            std::abort();
        }
    }

private:
    std::filesystem::path path_;
};

// The input split at every NUL byte; pieces past the end read as empty.
class Sections {
public:
    Sections(const std::uint8_t* data, std::size_t size) {
        std::string_view rest(reinterpret_cast<const char*>(data), size);
        while (true) {
            const auto nul = rest.find('\0');
            pieces_.push_back(rest.substr(0, nul));
            if (nul == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(nul + 1);
        }
    }

    std::size_t size() const { return pieces_.size(); }
    std::string_view operator[](std::size_t i) const {
        return i < pieces_.size() ? pieces_[i] : std::string_view();
    }

private:
    std::vector<std::string_view> pieces_;
};

}  // namespace tumbo::fuzz
