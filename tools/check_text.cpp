#include "tools/check_text.h"

#include <QString>

#include <cstdio>

#include "platform/integer_text.h"
#include "platform/qt/codepage.h"

namespace tumbo::tools {

namespace {

constexpr unsigned char kUndefinedByte = 0x98;

}  // namespace

std::string Hex(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

bool IsUndefinedByte(unsigned char byte) {
    return byte == kUndefinedByte;
}

std::string Quote(std::string_view bytes) {
    std::string quoted = "\"";
    std::string run;
    const auto flush = [&] {
        quoted += DecodeCp1251(run).toStdString();
        run.clear();
    };
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || IsUndefinedByte(byte)) {
            flush();
            quoted += "\\x" + Hex(byte).substr(2);
        } else {
            run.push_back(c);
        }
    }
    flush();
    return quoted + "\"";
}

std::optional<std::int32_t> OptionInteger(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const auto last = text.find_last_not_of(" \t");
    return ParseInteger(text.substr(first, last - first + 1));
}

}  // namespace tumbo::tools
