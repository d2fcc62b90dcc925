#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tumbo::fuzz {

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
