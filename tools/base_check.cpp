#include "tools/base_check.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "engine/options.h"
#include "engine/phrase.h"
#include "platform/integer_text.h"
#include "platform/qt/codepage.h"
#include "tools/line_stream.h"

namespace tumbo::tools {

namespace fs = std::filesystem;

namespace {

constexpr unsigned char kUndefinedByte = 0x98;
constexpr std::string_view kEnd = "#END";
constexpr std::size_t kOptionLines = 4;
const std::string kOptionFile = "opt.tmb";
const std::string kPathList = "path.tmb";
// Beyond these, repeats within a file are no longer looked for, so that a file of any
// size is checked in bounded memory.
constexpr std::size_t kMaxTriggersRemembered = 100'000;

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

std::string KindOf(const fs::file_status& status) {
    switch (status.type()) {
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::fifo:
            return "a named pipe (FIFO)";
        case fs::file_type::character:
            return "a character device";
        case fs::file_type::block:
            return "a block device";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "something other than a file";
    }
}

char Tag(const std::string& text) {
    return text.empty() ? '\0' : text.front();
}

struct Entry {
    std::string name;
    std::string file;
    int line = 0;
};

// What a dialogue's reading has seen so far, for checks that need the lines around one.
struct DialogueScan {
    std::size_t lines = 0;
    RawLine previous;
    char firstTag = '\0';
    bool firstIsEnd = false;
    bool anyTrigger = false;
    bool inOpeners = true;
    int turn = 0;
    std::map<std::string, std::pair<std::size_t, int>> triggersSeen;
};

class Checker {
public:
    explicit Checker(fs::path dir) : dir_(std::move(dir)) {}

    std::vector<Finding> Run() {
        std::error_code error;
        if (!fs::is_directory(dir_, error)) {
            throw BaseUnreadable(dir_.string() + ": no such folder");
        }
        const std::vector<RawLine> options = ReadListFile(kOptionFile, kOptionLines + 1);
        const std::vector<RawLine> paths = ReadListFile(kPathList, 0);
        CheckOptions(options, pathListLines_);
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

    // Reads opt.tmb or path.tmb whole, keeping at most `keep` lines (0: all of them).
    std::vector<RawLine> ReadListFile(const std::string& name, std::size_t keep) {
        const std::string path = (dir_ / name).string();
        std::vector<RawLine> kept;
        try {
            LineStream stream(path);
            LineChecks checks(*this, name);
            RawLine line;
            std::size_t count = 0;
            while (stream.Next(line)) {
                checks.Line(line, ++count);
                if (keep == 0 || kept.size() < keep) {
                    kept.push_back(std::move(line));
                }
            }
            checks.End(stream, count, count > 0 ? &kept.back() : nullptr);
            if (name == kPathList) {
                pathListLines_ = count;
            }
        } catch (const FileTrouble& trouble) {
            throw BaseUnreadable(path + ": " + trouble.what());
        }
        return kept;
    }

    // What every file of the base must keep to, whatever its kind, line by line.
    class LineChecks {
    public:
        LineChecks(Checker& checker, std::string file)
            : checker_(checker), file_(std::move(file)) {}

        void Line(const RawLine& line, std::size_t number) {
            if (line.TooLong()) {
                checker_.Add(file_, number,
                             "line of " + std::to_string(line.length) + " bytes, longer than " +
                                 std::to_string(kMaxLineLength) + "; only its start is checked");
            }
            if (line.text.empty()) {
                checker_.Add(file_, number, "empty line");
            }
            if (const auto cr = line.raw.find('\r'); cr != std::string::npos) {
                checker_.Add(
                    file_, number,
                    "stray CR at column " + std::to_string(cr + 1) + "; the program drops it");
            }
            const auto control = std::find_if(line.raw.begin(), line.raw.end(), [](char c) {
                const auto byte = static_cast<unsigned char>(c);
                return byte < 0x20 && byte != '\t' && byte != '\r';
            });
            if (control != line.raw.end()) {
                checker_.Add(file_, number,
                             "control byte " + Hex(static_cast<unsigned char>(*control)) +
                                 " at column " + std::to_string(control - line.raw.begin() + 1));
            }
            if (const auto undefined = line.raw.find(static_cast<char>(kUndefinedByte));
                undefined != std::string::npos) {
                checker_.Add(file_, number,
                             "byte 0x98 at column " + std::to_string(undefined + 1) +
                                 " is not a character in code page 1251");
            }
            if (line.end == LineEnd::kLf && lfOnly_++ == 0) {
                firstLfOnly_ = number;
            }
        }

        void End(const LineStream& stream, std::size_t lines, const RawLine* last) {
            if (lfOnly_ > 0) {
                checker_.Add(
                    file_, firstLfOnly_,
                    "line ends with LF alone, not CR LF" +
                        (lfOnly_ > 1 ? " (" + std::to_string(lfOnly_) + " such lines in this file)"
                                     : std::string()),
                    true);
            }
            if (stream.EndMarkLine() > 0) {
                const std::size_t after = stream.BytesAfterEndMark();
                checker_.Add(
                    file_, static_cast<std::size_t>(stream.EndMarkLine()),
                    "byte 26 (0x1A) ends the file for the program: " +
                        (after > 0 ? std::to_string(after) + " byte(s) after it are never read"
                                   : std::string("lines added after it would never be "
                                                 "read")));
            } else if (last != nullptr && last->end == LineEnd::kNone) {
                checker_.Add(file_, lines, "last line has no CR LF (the program still reads it)",
                             true);
            }
        }

    private:
        Checker& checker_;
        std::string file_;
        std::size_t lfOnly_ = 0;
        std::size_t firstLfOnly_ = 0;
    };

    void CheckOptions(const std::vector<RawLine>& lines, std::size_t entries) {
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

    std::vector<Entry> CheckPathList(const std::vector<RawLine>& lines) {
        std::vector<Entry> entries;
        std::map<std::string, std::size_t> listedAt;
        if (lines.empty()) {
            Add(kPathList, 0, "lists no dialogues: nothing can be answered until one is taught");
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& name = lines[i].text;
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
                Add(kPathList, number,
                    "entry " + Quote(name) + " names " + KindOf(status) + ", not a file");
            } else {
                entries.push_back({name, file, static_cast<int>(number)});
            }
        }
        return entries;
    }

    void CheckDialogue(const Entry& entry) {
        DialogueScan scan;
        try {
            LineStream stream((dir_ / entry.file).string());
            LineChecks checks(*this, entry.file);
            RawLine line;
            while (stream.Next(line)) {
                checks.Line(line, ++scan.lines);
                CheckDialogueLine(entry, scan, line);
                scan.previous = std::move(line);
            }
            checks.End(stream, scan.lines, scan.lines > 0 ? &scan.previous : nullptr);
        } catch (const FileTrouble& trouble) {
            findings_.push_back({entry.file, 0, trouble.what(), false, true});
            return;
        }
        EndDialogue(entry, scan);
    }

    // Turns are a $ block and the # block after it; the search within a dialogue always
    // takes the first matching trigger from the top of the file. The opener block is the
    // trigger lines before the first reply line, as the search reads it.
    void CheckDialogueLine(const Entry& entry, DialogueScan& scan, const RawLine& line) {
        const std::size_t number = scan.lines;
        const std::string& text = line.text;
        const char tag = Tag(text);
        const char previousTag = number > 1 ? Tag(scan.previous.text) : '\0';
        if (number == 1) {
            scan.firstTag = tag;
            scan.firstIsEnd = text == kEnd;
        }
        if (number > 1 && scan.previous.text == kEnd) {
            Add(entry.file, number - 1,
                "#END before the end of the file; the program reads it as the reply \"END\"");
        }
        if (previousTag == '$' && tag != '$') {
            EndOfTriggerBlock(entry, number - 1, tag, text);
        }
        if (tag == '\0') {
            return;
        }
        if (tag != '$' && tag != '#') {
            Add(entry.file, number, "line is neither a trigger ($) nor a reply (#)");
        } else if (text.size() == 1) {
            Add(entry.file, number,
                tag == '$' ? "trigger with no text can never match" : "reply with no text");
        }
        if (tag == '#') {
            scan.inOpeners = false;
        }
        if (tag != '$') {
            return;
        }
        scan.anyTrigger = true;
        scan.turn += previousTag != '$' ? 1 : 0;
        if (line.TooLong()) {
            return;
        }
        const std::string phrase = text.substr(1);
        const std::string lowered = NormalizePhrase(phrase);
        if (lowered != phrase) {
            Add(entry.file, number,
                "trigger " + Quote(phrase) +
                    " is not lower case, so it can never match (typed text is lower-cased: " +
                    Quote(lowered) + ")");
        }
        if (scan.triggersSeen.size() < kMaxTriggersRemembered) {
            const auto [where, added] =
                scan.triggersSeen.emplace(phrase, std::pair{number, scan.turn});
            if (!added && where->second.second != scan.turn && !phrase.empty()) {
                Add(entry.file, number,
                    "trigger " + Quote(phrase) + " repeats line " +
                        std::to_string(where->second.first) +
                        " of an earlier turn, which always answers it first");
            }
        }
        if (scan.inOpeners && !phrase.empty() && lowered == phrase &&
            openerOwner_.size() < kMaxTriggersRemembered * 10) {
            const auto [owner, added] = openerOwner_.emplace(phrase, entry.name);
            if (!added && owner->second != entry.name) {
                Add(entry.file, number,
                    "opener " + Quote(phrase) + " is already an opener of " + owner->second +
                        ", earlier in path.tmb; this dialogue never answers it out of context");
            }
        }
    }

    // A block of triggers ended at `last`; `nextTag` and `nextText` are the line after it,
    // or nothing at the end of the file.
    void EndOfTriggerBlock(const Entry& entry, std::size_t last, char nextTag,
                           const std::string& nextText) {
        if (nextTag != '#') {
            Add(entry.file, last, "triggers with no reply after them");
        } else if (nextText == kEnd) {
            Add(entry.file, last,
                "triggers followed by #END instead of a reply; the program answers \"END\"");
        }
    }

    void EndDialogue(const Entry& entry, const DialogueScan& scan) {
        if (scan.lines == 0) {
            Add(entry.file, 0, "is empty: a dialogue needs triggers, replies and a closing #END");
            return;
        }
        if (Tag(scan.previous.text) == '$') {
            EndOfTriggerBlock(entry, scan.lines, '\0', {});
        }
        if (scan.previous.text != kEnd) {
            Add(entry.file, scan.lines, "last line is not #END");
        }
        if (scan.firstTag == '#' && !(scan.lines == 1 && scan.firstIsEnd)) {
            Add(entry.file, 1, "replies before any trigger: the dialogue has no openers");
        }
        if (!scan.anyTrigger) {
            Add(entry.file, 0, "has no triggers, so it can never answer");
        }
    }

    void CheckUnlisted(const std::vector<RawLine>& paths) {
        std::set<std::string> listed;
        for (const auto& line : paths) {
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
    std::size_t pathListLines_ = 0;
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
    } catch (const std::bad_alloc&) {
        err << "tumbo-check: not enough memory to check " << first << "\n";
        return 2;
    }
    bool unreadable = false;
    for (const auto& finding : findings) {
        (finding.unreadable ? err : out) << finding << "\n";
        unreadable = unreadable || finding.unreadable;
    }
    if (unreadable) {
        err << "tumbo-check: the check is incomplete: a dialogue could not be read\n";
        return 2;
    }
    return findings.empty() ? 0 : 1;
}

}  // namespace tumbo::tools
