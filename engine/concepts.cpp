#include "engine/concepts.h"

#include <algorithm>
#include <functional>

#include "engine/base_format.h"
#include "engine/phrase_fold.h"
#include "platform/errors.h"
#include "platform/line_reader.h"

namespace tumbo {

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// `@` and a folded word of letters, digits, `-` and `_`; the name is what follows `@`.
bool ReadName(std::string_view text, std::string& name) {
    if (text.size() < 2 || text.front() != '@') {
        return false;
    }
    name.assign(text.substr(1));
    return std::all_of(name.begin(), name.end(), [](char c) {
        return c == '-' || c == '_' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
               static_cast<unsigned char>(c) >= 0xE0 || c == '\xB8';
    });
}

}  // namespace

bool IsConceptComment(std::string_view line) {
    return !line.empty() && line.front() == '#';
}

ConceptFault ParseConcept(std::string_view line, ConceptLine& parsed) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return ConceptFault::kMalformed;
    }
    std::string_view head = Trimmed(line.substr(0, equals));
    parsed.danger = !head.empty() && head.front() == '!';
    if (parsed.danger) {
        head.remove_prefix(1);
    }
    if (!ReadName(head, parsed.name)) {
        return ConceptFault::kMalformed;
    }
    parsed.entries.clear();
    std::string_view rest = line.substr(equals + 1);
    while (true) {
        const std::size_t comma = rest.find(',');
        const std::string_view entry = Trimmed(rest.substr(0, comma));
        std::string name;
        if (!entry.empty() && entry.front() == '@') {
            if (!ReadName(entry, name)) {
                return ConceptFault::kMalformed;
            }
            parsed.entries.push_back("@" + name);
        } else {
            std::string folded = FoldPhrase(entry);
            if (folded.empty()) {
                return ConceptFault::kMalformed;
            }
            parsed.entries.push_back(std::move(folded));
        }
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    return ConceptFault::kNone;
}

ConceptSet ConceptSet::FromLines(const std::vector<std::string>& lines) {
    ConceptSet set;
    std::vector<std::vector<std::string>> given;
    std::vector<std::size_t> lineOf;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (Trimmed(line).empty() || IsConceptComment(line)) {
            continue;
        }
        ConceptLine parsed;
        if (ParseConcept(line, parsed) != ConceptFault::kNone) {
            set.faults_.push_back({i + 1,
                                   "is not @name=entry, entry (or !@name=... for danger "
                                   "signs); the program leaves it out"});
            continue;
        }
        // A later line for a name adds to its entries, as an update of the base does.
        const auto [found, added] = set.byName_.emplace(parsed.name, set.classes_.size());
        if (added) {
            set.classes_.push_back({parsed.name, parsed.danger, {}});
            given.emplace_back();
            lineOf.push_back(i + 1);
        }
        set.classes_[found->second].danger = set.classes_[found->second].danger || parsed.danger;
        std::vector<std::string>& entries = given[found->second];
        entries.insert(entries.end(), parsed.entries.begin(), parsed.entries.end());
    }
    // Spelled out depth first; a class on the way down is not entered again.
    std::vector<bool> onTheWay(set.classes_.size(), false);
    // `via` is the entry of the owner's own line the walk went down through.
    const std::function<void(std::size_t, std::size_t, const std::string*,
                             std::vector<std::string>&)>
        spell = [&](std::size_t owner, std::size_t at, const std::string* via,
                    std::vector<std::string>& out) {
            onTheWay[at] = true;
            for (const std::string& entry : given[at]) {
                if (entry.front() != '@') {
                    out.push_back(entry);
                    continue;
                }
                const std::size_t other = set.Find(std::string_view(entry).substr(1));
                if (other == set.classes_.size()) {
                    if (at == owner) {
                        set.faults_.push_back({lineOf[at], entry + " is not defined"});
                    }
                } else if (onTheWay[other]) {
                    if (other == owner) {
                        set.faults_.push_back({lineOf[owner], "@" + set.classes_[owner].name +
                                                                  " contains itself through " +
                                                                  (via ? *via : entry)});
                    }
                } else {
                    spell(owner, other, at == owner ? &entry : via, out);
                }
            }
            onTheWay[at] = false;
        };
    for (std::size_t i = 0; i < set.classes_.size(); ++i) {
        std::vector<std::string> entries;
        spell(i, i, nullptr, entries);
        std::sort(entries.begin(), entries.end());
        entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
        set.classes_[i].entries = std::move(entries);
    }
    std::sort(set.faults_.begin(), set.faults_.end(),
              [](const Fault& a, const Fault& b) { return a.line < b.line; });
    return set;
}

std::size_t ConceptSet::Find(std::string_view name) const {
    const auto found = byName_.find(std::string(name));
    return found == byName_.end() ? classes_.size() : found->second;
}

ConceptSet ReadConcepts(LineReader& reader, std::string_view path) {
    if (!base_format::OpenOptional(reader, path)) {
        return {};
    }
    std::vector<std::string> lines;
    std::string line;
    while (!reader.Eof()) {
        // A line too long to read whole is no class; its number is kept for the others.
        if (!reader.ReadLine(line, base_format::kMaxWordsLineLength)) {
            line.clear();
        }
        lines.push_back(line);
    }
    reader.Close();
    return ConceptSet::FromLines(lines);
}

}  // namespace tumbo
