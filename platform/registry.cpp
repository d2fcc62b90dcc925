#include "platform/registry.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/errors.h"
#include "platform/line_reader.h"

namespace tumbo {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Reads a quoted name or string starting at `pos` (on the opening quote); leaves `pos`
// after the closing quote. Only \\ and \" are escapes.
std::optional<std::string> ReadQuoted(const std::string& text, std::size_t& pos) {
    std::string result;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            ++pos;
            return result;
        }
        if (c == '\\' && pos + 1 < text.size() && (text[pos + 1] == '\\' || text[pos + 1] == '"')) {
            ++pos;
        }
        result.push_back(text[pos]);
    }
    return std::nullopt;
}

// Bytes listed as "41,42,00": an expandable string, ending at its first zero byte.
std::optional<std::string> DecodeHexString(const std::string& list) {
    std::string result;
    std::string byte;
    bool ended = false;
    auto take = [&]() -> bool {
        if (byte.empty()) {
            return false;
        }
        if (byte.size() > 2 || !std::all_of(byte.begin(), byte.end(),
                                            [](unsigned char c) { return std::isxdigit(c); })) {
            return false;
        }
        const char value = static_cast<char>(std::stoi(byte, nullptr, 16));
        ended = ended || value == 0;
        if (!ended) {
            result.push_back(value);
        }
        byte.clear();
        return true;
    };
    for (char c : list) {
        if (c == ',') {
            if (!take()) {
                return std::nullopt;
            }
        } else if (c != ' ' && c != '\t') {
            byte.push_back(c);
        }
    }
    if (!byte.empty() && !take()) {
        return std::nullopt;
    }
    return result;
}

// Reads the export as logical lines: a line ending in "\" continues on the next one.
std::vector<std::string> ReadLogicalLines(const std::string& registryFile) {
    std::vector<std::string> lines;
    LineReader file;
    try {
        file.Open(registryFile);
        std::string line;
        bool continues = false;
        while (!file.Eof()) {
            file.ReadLine(line);
            const std::string piece = continues ? Trim(line) : line;
            if (continues) {
                lines.back() += piece;
            } else {
                lines.push_back(piece);
            }
            continues = !lines.back().empty() && lines.back().back() == '\\';
            if (continues) {
                lines.back().pop_back();
            }
        }
        file.Close();
    } catch (const InOutError&) {
        // A registry that cannot be read is a key that cannot be opened: no value.
        return {};
    }
    return lines;
}

}  // namespace

std::string ReadRegistryString(const std::string& registryFile, const std::string& key,
                               const std::string& valueName) {
    const std::string wantedKey = Lower("[" + key + "]");
    const std::string wantedName = Lower(valueName);
    bool inKey = false;
    std::optional<std::string> data;
    for (const std::string& rawLine : ReadLogicalLines(registryFile)) {
        const std::string line = Trim(rawLine);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            inKey = Lower(line) == wantedKey;
            continue;
        }
        if (!inKey || line.front() != '"') {
            continue;
        }
        std::size_t pos = 0;
        const auto name = ReadQuoted(line, pos);
        if (!name || Lower(*name) != wantedName) {
            continue;
        }
        const auto equals = line.find_first_not_of(" \t", pos);
        if (equals == std::string::npos || line[equals] != '=') {
            continue;
        }
        data = Trim(line.substr(equals + 1));
    }
    if (!data || *data == "-") {
        return {};
    }
    if (!data->empty() && data->front() == '"') {
        std::size_t pos = 0;
        const auto text = ReadQuoted(*data, pos);
        if (text && pos == data->size()) {
            return *text;
        }
    } else if (Lower(data->substr(0, 7)) == "hex(2):") {
        if (const auto text = DecodeHexString(data->substr(7))) {
            return *text;
        }
    }
    throw RegistryError(valueName);
}

}  // namespace tumbo
