#include "engine/phrase_parts.h"

namespace tumbo {

namespace {

// Code page 1251's en and em dashes.
constexpr char kEnDash = '\x96';
constexpr char kEmDash = '\x97';

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kStops = ".!?;,:";
constexpr std::string_view kSentenceStops = ".!?;\r\n";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return kBlanks.find(c) != std::string_view::npos;
}

bool CutsAt(std::string_view phrase, std::size_t i, std::string_view stops, bool atDashes) {
    const char c = phrase[i];
    const bool between = i > 0 && i + 1 < phrase.size();
    if (stops.find(c) != std::string_view::npos) {
        return !(between && IsDigit(phrase[i - 1]) && IsDigit(phrase[i + 1]));
    }
    if (atDashes && (c == '-' || c == kEnDash || c == kEmDash)) {
        return between && IsBlank(phrase[i - 1]) && IsBlank(phrase[i + 1]);
    }
    return false;
}

void AddTrimmed(std::string_view part, std::vector<std::string>& parts) {
    const std::size_t first = part.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return;
    }
    const std::size_t last = part.find_last_not_of(kBlanks);
    parts.emplace_back(part.substr(first, last - first + 1));
}

std::vector<std::string> Cut(std::string_view phrase, std::string_view stops, bool atDashes) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < phrase.size(); ++i) {
        if (CutsAt(phrase, i, stops, atDashes)) {
            AddTrimmed(phrase.substr(start, i - start), parts);
            start = i + 1;
        }
    }
    AddTrimmed(phrase.substr(start), parts);
    return parts;
}

}  // namespace

std::vector<std::string> PhraseParts(std::string_view phrase) {
    return Cut(phrase, kStops, true);
}

std::vector<std::string> PhraseSentences(std::string_view phrase) {
    return Cut(phrase, kSentenceStops, false);
}

}  // namespace tumbo
