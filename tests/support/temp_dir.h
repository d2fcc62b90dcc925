#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tumbo::test {

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tumbo-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as a program directory: a prefix ending in a separator.
    std::string prefix() const { return path_.string() + "/"; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    void Write(const std::string& name, std::string_view bytes) const {
        const auto target = path_ / name;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out) {
            throw std::runtime_error("cannot write " + target.string());
        }
    }

    // Empties the folder, so nothing one run made is seen by the next.
    void Clear() const {
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            std::filesystem::remove_all(entry.path());
        }
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

    // The names in a folder of it, sorted.
    std::set<std::string> Names(const std::string& folder = ".") const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_ / folder)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }
    // New versions of files left beside them ("opt.tmb.tmp-Ab3dEf"), which no one reads.
    std::set<std::string> Leftovers(const std::string& folder = ".") const {
        std::set<std::string> leftovers;
        for (const auto& name : Names(folder)) {
            if (name.find(".tmp") != std::string::npos) {
                leftovers.insert(name);
            }
        }
        return leftovers;
    }

private:
    std::filesystem::path path_;
};

}  // namespace tumbo::test
