#include "engine/phrase.h"

namespace tumbo {

namespace {

constexpr std::string_view kNameMarker = "[n]";
constexpr std::string_view kExitMarker = "[e]";

std::string ReplaceMarkers(std::string_view text, std::string_view userName, bool dropExit) {
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::string_view rest = text.substr(pos);
        if (rest.substr(0, kNameMarker.size()) == kNameMarker) {
            result += userName;
            pos += kNameMarker.size();
        } else if (dropExit && rest.substr(0, kExitMarker.size()) == kExitMarker) {
            pos += kExitMarker.size();
        } else {
            result.push_back(text[pos++]);
        }
    }
    return result;
}

}  // namespace

std::string NormalizePhrase(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(LowerCp1251(static_cast<unsigned char>(c)));
    }
    return result;
}

std::string ExpandNameMarker(std::string_view line, std::string_view userName) {
    return ReplaceMarkers(line, userName, false);
}

bool HasExitMarker(std::string_view storedReply) {
    return storedReply.find(kExitMarker) != std::string_view::npos;
}

std::string RenderReply(std::string_view storedReply, std::string_view userName) {
    return ReplaceMarkers(storedReply, userName, true);
}

}  // namespace tumbo
