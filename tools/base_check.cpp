#include "tools/base_check.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "engine/options.h"
#include "engine/phrase.h"
#include "platform/integer_text.h"
#include "platform/qt/codepage.h"

namespace tumbo::tools {

namespace fs = std::filesystem;

namespace {

constexpr unsigned char kEndMark = 26;
constexpr unsigned char kUndefinedByte = 0x98;
constexpr std::string_view kEnd = "#END";
constexpr std::size_t kOptionLines = 4;
const std::string kOptionFile = "opt.tmb";
const std::string kPathList = "path.tmb";

std::string Hex(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

// Base text in UTF-8 between quotes; bytes a terminal would act on are shown as \xNN.
std::string Quote(std::string_view bytes) {
    std::string quoted = "\"";
    std::string run;
    const auto flush = [&] {
        quoted += DecodeCp1251(run).toStdString();
        run.clear();
    };
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == kUndefinedByte) {
            flush();
            quoted += "\\x" + Hex(byte).substr(2);
        } else {
            run.push_back(c);
        }
    }
    flush();
    return quoted + "\"";
}

std::optional<std::string> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

// The option file's integers as the program reads them; blanks around are allowed.
std::optional<std::int32_t> OptionInteger(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const auto last = text.find_last_not_of(" \t");
    return ParseInteger(std::string_view(text).substr(first, last - first + 1));
}

// "dlg\N.dlg" with N from 1 to the largest number the program reads back.
bool IsDialogueEntry(std::string_view entry) {
    constexpr std::string_view kPrefix = "dlg\\";
    constexpr std::string_view kSuffix = ".dlg";
    if (entry.size() <= kPrefix.size() + kSuffix.size() || !entry.starts_with(kPrefix) ||
        !entry.ends_with(kSuffix)) {
        return false;
    }
    const auto number =
        entry.substr(kPrefix.size(), entry.size() - kPrefix.size() - kSuffix.size());
    const bool digits =
        std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto value = digits ? ParseInteger(number) : std::nullopt;
    return value && *value >= 1 && number.front() != '0';
}

char Tag(const std::string& text) {
    return text.empty() ? '\0' : text.front();
}

struct Entry {
    std::string name;
    std::string file;
    int line = 0;
};

class Checker {
public:
    explicit Checker(fs::path dir) : dir_(std::move(dir)) {}

    std::vector<Finding> Run() {
        std::error_code error;
        if (!fs::is_directory(dir_, error)) {
            throw BaseUnreadable(dir_.string() + ": no such folder");
        }
        const SplitText options = ReadBaseFile(kOptionFile);
        const SplitText paths = ReadBaseFile(kPathList);
        CheckLines(kOptionFile, options);
        CheckOptions(options, paths.lines.size());
        CheckLines(kPathList, paths);
        const auto entries = CheckPathList(paths);
        for (const auto& entry : entries) {
            CheckDialogue(entry);
        }
        CheckUnlisted(paths);
        return std::move(findings_);
    }

private:
    void Add(const std::string& file, std::size_t line, std::string message, bool warning = false) {
        findings_.push_back({file, static_cast<int>(line), std::move(message), warning});
    }

    SplitText ReadBaseFile(const std::string& name) {
        std::error_code error;
        if (!fs::is_regular_file(dir_ / name, error)) {
            throw BaseUnreadable((dir_ / name).string() + ": no such file");
        }
        auto bytes = ReadBytes(dir_ / name);
        if (!bytes) {
            throw BaseUnreadable((dir_ / name).string() + ": cannot be read");
        }
        return SplitLines(*bytes);
    }

    // What every file of the base must keep to, whatever its kind.
    void CheckLines(const std::string& file, const SplitText& split) {
        std::size_t lfOnly = 0;
        std::size_t firstLfOnly = 0;
        for (std::size_t i = 0; i < split.lines.size(); ++i) {
            const RawLine& line = split.lines[i];
            const std::size_t number = i + 1;
            if (line.text.empty()) {
                Add(file, number, "empty line");
            }
            if (const auto cr = line.raw.find('\r'); cr != std::string::npos) {
                Add(file, number,
                    "stray CR at column " + std::to_string(cr + 1) + "; the program drops it");
            }
            const auto control = std::find_if(line.raw.begin(), line.raw.end(), [](char c) {
                const auto byte = static_cast<unsigned char>(c);
                return byte < 0x20 && byte != '\t' && byte != '\r';
            });
            if (control != line.raw.end()) {
                Add(file, number,
                    "control byte " + Hex(static_cast<unsigned char>(*control)) + " at column " +
                        std::to_string(control - line.raw.begin() + 1));
            }
            if (const auto undefined = line.raw.find(static_cast<char>(kUndefinedByte));
                undefined != std::string::npos) {
                Add(file, number,
                    "byte 0x98 at column " + std::to_string(undefined + 1) +
                        " is not a character in code page 1251");
            }
            if (line.end == LineEnd::kLf && lfOnly++ == 0) {
                firstLfOnly = number;
            }
        }
        if (lfOnly > 0) {
            Add(file, firstLfOnly,
                "line ends with LF alone, not CR LF" +
                    (lfOnly > 1 ? " (" + std::to_string(lfOnly) + " such lines in this file)"
                                : std::string()),
                true);
        }
        if (split.endMarkLine > 0) {
            Add(file, static_cast<std::size_t>(split.endMarkLine),
                "byte 26 (0x1A) ends the file for the program: " +
                    (split.bytesAfterEndMark > 0
                         ? std::to_string(split.bytesAfterEndMark) +
                               " byte(s) after it are never read"
                         : std::string("lines added after it would never be read")));
        } else if (!split.lines.empty() && split.lines.back().end == LineEnd::kNone) {
            Add(file, split.lines.size(), "last line has no CR LF (the program still reads it)",
                true);
        }
    }

    void CheckOptions(const SplitText& split, std::size_t entries) {
        const auto& lines = split.lines;
        if (lines.size() < kOptionLines) {
            Add(kOptionFile, 0,
                "has " + std::to_string(lines.size()) +
                    " line(s); the program reads four: name, true/false, opacity, "
                    "dialogue count");
        }
        if (lines.size() >= 2 && !lines[1].text.empty() && lines[1].text != "true" &&
            lines[1].text != "false") {
            Add(kOptionFile, 2,
                Quote(lines[1].text) + " should be true or false; the program reads it as false");
        }
        if (lines.size() >= 3 && !lines[2].text.empty()) {
            const auto opacity = OptionInteger(lines[2].text);
            if (!opacity) {
                Add(kOptionFile, 3, "opacity " + Quote(lines[2].text) + " is not an integer");
            } else if (*opacity < kMinOpacity || *opacity > kMaxOpacity) {
                Add(kOptionFile, 3,
                    "opacity " + std::to_string(*opacity) + " is outside " +
                        std::to_string(kMinOpacity) + " to " + std::to_string(kMaxOpacity) +
                        "; the program uses " +
                        std::to_string(std::clamp(*opacity, kMinOpacity, kMaxOpacity)),
                    true);
            }
        }
        if (lines.size() >= 4 && !lines[3].text.empty()) {
            const auto count = OptionInteger(lines[3].text);
            if (!count) {
                Add(kOptionFile, 4,
                    "dialogue count " + Quote(lines[3].text) + " is not an integer");
            } else if (*count < 0 || static_cast<std::size_t>(*count) != entries) {
                Add(kOptionFile, 4,
                    "stored dialogue count " + std::to_string(*count) + " differs from the " +
                        std::to_string(entries) + " entries in path.tmb");
            }
        }
        if (lines.size() > kOptionLines) {
            Add(kOptionFile, kOptionLines + 1, "extra line; the program reads only the first four");
        }
    }

    std::vector<Entry> CheckPathList(const SplitText& split) {
        std::vector<Entry> entries;
        std::map<std::string, std::size_t> listedAt;
        if (split.lines.empty()) {
            Add(kPathList, 0, "lists no dialogues: nothing can be answered or taught");
        }
        for (std::size_t i = 0; i < split.lines.size(); ++i) {
            const std::string& name = split.lines[i].text;
            const std::size_t number = i + 1;
            if (name.empty()) {
                continue;
            }
            if (!IsDialogueEntry(name)) {
                Add(kPathList, number, "entry " + Quote(name) + " is not of the form dlg\\N.dlg");
            }
            std::string file = name;
            std::replace(file.begin(), file.end(), '\\', '/');
            const auto [earlier, first] = listedAt.emplace(file, number);
            if (!first) {
                Add(kPathList, number,
                    "entry " + Quote(name) + " repeats line " + std::to_string(earlier->second));
                continue;
            }
            std::error_code error;
            const auto status = fs::status(dir_ / file, error);
            if (!fs::exists(status)) {
                Add(kPathList, number, "entry " + Quote(name) + " names a missing file");
            } else if (!fs::is_regular_file(status)) {
                Add(kPathList, number, "entry " + Quote(name) + " is not a file");
            } else {
                entries.push_back({name, file, static_cast<int>(number)});
            }
        }
        return entries;
    }

    void CheckDialogue(const Entry& entry) {
        const auto bytes = ReadBytes(dir_ / entry.file);
        if (!bytes) {
            Add(entry.file, 0, "cannot be read");
            return;
        }
        const SplitText split = SplitLines(*bytes);
        CheckLines(entry.file, split);
        const auto& lines = split.lines;
        if (lines.empty()) {
            Add(entry.file, 0, "is empty: a dialogue needs triggers, replies and a closing #END");
            return;
        }
        CheckLineKinds(entry, lines);
        CheckTurns(entry, lines);
        CheckOpeners(entry, lines);
    }

    void CheckLineKinds(const Entry& entry, const std::vector<RawLine>& lines) {
        const std::size_t last = lines.size();
        bool anyTrigger = false;
        for (std::size_t i = 0; i < last; ++i) {
            const std::string& text = lines[i].text;
            const std::size_t number = i + 1;
            const char tag = Tag(text);
            if (tag == '\0') {
                continue;
            }
            if (tag != '$' && tag != '#') {
                Add(entry.file, number, "line is neither a trigger ($) nor a reply (#)");
            } else if (text.size() == 1) {
                Add(entry.file, number,
                    tag == '$' ? "trigger with no text can never match" : "reply with no text");
            }
            if (text == kEnd && number != last) {
                Add(entry.file, number,
                    "#END before the end of the file; the program reads it as the reply \"END\"");
            }
            if (tag == '$') {
                anyTrigger = true;
                const std::string phrase = text.substr(1);
                const std::string lowered = NormalizePhrase(phrase);
                if (lowered != phrase) {
                    Add(entry.file, number,
                        "trigger " + Quote(phrase) +
                            " is not lower case, so it can never match (typed text is "
                            "lower-cased: " +
                            Quote(lowered) + ")");
                }
            }
        }
        if (lines.back().text != kEnd) {
            Add(entry.file, last, "last line is not #END");
        }
        if (Tag(lines.front().text) == '#' && !(last == 1 && lines.front().text == kEnd)) {
            Add(entry.file, 1, "replies before any trigger: the dialogue has no openers");
        }
        if (!anyTrigger) {
            Add(entry.file, 0, "has no triggers, so it can never answer");
        }
    }

    // Turns are a $ block and the # block after it; the search within a dialogue always
    // takes the first matching trigger from the top of the file.
    void CheckTurns(const Entry& entry, const std::vector<RawLine>& lines) {
        std::map<std::string, std::pair<std::size_t, int>> seen;
        int turn = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (Tag(lines[i].text) != '$') {
                continue;
            }
            const bool blockStart = i == 0 || Tag(lines[i - 1].text) != '$';
            turn += blockStart ? 1 : 0;
            const std::string phrase = lines[i].text.substr(1);
            const auto [where, added] = seen.emplace(phrase, std::pair{i + 1, turn});
            if (!added && where->second.second != turn && !phrase.empty()) {
                Add(entry.file, i + 1,
                    "trigger " + Quote(phrase) + " repeats line " +
                        std::to_string(where->second.first) +
                        " of an earlier turn, which always answers it first");
            }
            const bool blockEnd = i + 1 == lines.size() || Tag(lines[i + 1].text) != '$';
            if (!blockEnd) {
                continue;
            }
            if (i + 1 == lines.size() || Tag(lines[i + 1].text) != '#') {
                Add(entry.file, i + 1, "triggers with no reply after them");
            } else if (lines[i + 1].text == kEnd) {
                Add(entry.file, i + 1,
                    "triggers followed by #END instead of a reply; the program answers \"END\"");
            }
        }
    }

    // The openers are the trigger lines before the first reply line, as the search reads.
    void CheckOpeners(const Entry& entry, const std::vector<RawLine>& lines) {
        for (std::size_t i = 0; i < lines.size() && Tag(lines[i].text) != '#'; ++i) {
            if (Tag(lines[i].text) != '$' || lines[i].text.size() == 1) {
                continue;
            }
            const std::string phrase = lines[i].text.substr(1);
            if (NormalizePhrase(phrase) != phrase) {
                continue;
            }
            const auto [owner, added] = openerOwner_.emplace(phrase, entry.name);
            if (!added && owner->second != entry.name) {
                Add(entry.file, i + 1,
                    "opener " + Quote(phrase) + " is already an opener of " + owner->second +
                        ", earlier in path.tmb; this dialogue never answers it out of context");
            }
        }
    }

    void CheckUnlisted(const SplitText& paths) {
        std::set<std::string> listed;
        for (const auto& line : paths.lines) {
            std::string file = line.text;
            std::replace(file.begin(), file.end(), '\\', '/');
            listed.insert(file);
        }
        std::vector<std::string> unlisted;
        std::error_code error;
        for (fs::directory_iterator it(dir_ / "dlg", error), end; !error && it != end;
             it.increment(error)) {
            const std::string file = "dlg/" + it->path().filename().string();
            if (it->path().extension() == ".dlg" && it->is_regular_file(error) &&
                !listed.contains(file)) {
                unlisted.push_back(file);
            }
        }
        // dlg/9.dlg before dlg/10.dlg.
        std::sort(unlisted.begin(), unlisted.end(), [](const auto& a, const auto& b) {
            return std::pair(a.size(), a) < std::pair(b.size(), b);
        });
        for (const auto& file : unlisted) {
            Add(file, 0, "not listed in path.tmb, so the program never reads it", true);
        }
    }

    fs::path dir_;
    std::vector<Finding> findings_;
    std::map<std::string, std::string> openerOwner_;
};

}  // namespace

std::string FormatFinding(const Finding& finding) {
    std::string text = finding.file + ":";
    if (finding.line > 0) {
        text += std::to_string(finding.line) + ":";
    }
    return text + (finding.warning ? " warning: " : " ") + finding.message;
}

std::ostream& operator<<(std::ostream& out, const Finding& finding) {
    return out << FormatFinding(finding);
}

SplitText SplitLines(std::string_view bytes) {
    SplitText split;
    RawLine line;
    bool pending = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == kEndMark) {
            split.endMarkLine = static_cast<int>(split.lines.size()) + 1;
            split.bytesAfterEndMark = bytes.size() - i - 1;
            break;
        }
        const bool crLf = byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        if (byte == '\n' || crLf) {
            line.end = crLf ? LineEnd::kCrLf : LineEnd::kLf;
            i += crLf ? 1 : 0;
            split.lines.push_back(std::move(line));
            line = RawLine{};
            pending = false;
            continue;
        }
        pending = true;
        line.raw.push_back(bytes[i]);
        if (byte != '\r') {
            line.text.push_back(bytes[i]);
        }
    }
    if (pending) {
        split.lines.push_back(std::move(line));
    }
    return split;
}

std::vector<Finding> CheckBase(const fs::path& baseDir) {
    return Checker(baseDir).Run();
}

int RunCheck(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsage = "usage: tumbo-check BASE_DIR\n";
    const std::string_view first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-h")) {
        out << kUsage
            << "Checks a dialogue base and prints each problem as file:line: message.\n"
               "Exit status: 0 clean, 1 problems found, 2 the base could not be read.\n";
        return 0;
    }
    if (argc != 2 || first.starts_with("-")) {
        err << kUsage;
        return 2;
    }
    std::vector<Finding> findings;
    try {
        findings = CheckBase(fs::path(first));
    } catch (const BaseUnreadable& error) {
        err << "tumbo-check: " << error.what() << "\n";
        return 2;
    }
    for (const auto& finding : findings) {
        out << finding << "\n";
    }
    return findings.empty() ? 0 : 1;
}

}  // namespace tumbo::tools
