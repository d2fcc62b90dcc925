#include "tools/base_check.h"

#include <algorithm>
#include <map>
#include <new>
#include <set>
#include <string>
#include <system_error>
#include <utility>

#include "engine/base_format.h"
#include "engine/dialogue_path.h"
#include "engine/options.h"
#include "engine/word_substitutions.h"
#include "tools/base_lines.h"
#include "tools/check_text.h"
#include "tools/concept_check.h"
#include "tools/dialogue_check.h"

namespace tumbo::tools {

namespace fs = std::filesystem;

namespace {

const std::string kOptionFile(base_format::kOptionFile);
const std::string kPathList(base_format::kPathList);
constexpr auto kOptionLines = static_cast<std::size_t>(base_format::kOptionLines);

struct Entry {
    std::string name;
    std::string file;
};

class Checker {
public:
    Checker(fs::path dir, FileCalls& calls) : dir_(std::move(dir)), calls_(calls) {}

    std::vector<Finding> Run() {
        struct stat info {};
        if (!LookAt(calls_, dir_, info) || !S_ISDIR(info.st_mode)) {
            throw BaseUnreadable(dir_.string() + ": no such folder");
        }
        const auto options = ReadListFile(kOptionFile, kOptionLines + 1);
        const auto paths = ReadListFile(kPathList, 0);
        CheckOptions(options, static_cast<std::size_t>(std::count_if(
                                  paths.begin(), paths.end(), [](const StoredLine& line) {
                                      return !base_format::IsBlankEntry(line.text);
                                  })));
        CheckDialogueFolder();
        concepts_ = CheckConcepts(calls_, dir_, findings_);
        for (const auto& entry : CheckPathList(paths)) {
            CheckDialogue(entry);
        }
        CheckUnlisted(paths);
        CheckForgotten();
        CheckWords();
        return findings_.Take();
    }

private:
    // Reads opt.tmb or path.tmb whole, keeping at most `keep` lines (0: all of them).
    std::vector<StoredLine> ReadListFile(const std::string& name, std::size_t keep) {
        const fs::path path = dir_ / name;
        std::vector<StoredLine> kept;
        try {
            BaseFileLines lines(calls_, path);
            LineChecks checks(findings_, name, name == kPathList);
            StoredLine line;
            while (lines.Next(line)) {
                checks.Line(line, lines.Count());
                if (keep == 0 || kept.size() < keep) {
                    kept.push_back(line);
                }
            }
            checks.End(lines, lines.Count() > 0 ? &line : nullptr);
        } catch (const FileTrouble& trouble) {
            throw BaseUnreadable(path.string() + ": " + trouble.what());
        }
        return kept;
    }

    void CheckOptions(const std::vector<StoredLine>& lines, std::size_t entries) {
        if (lines.size() < kOptionLines) {
            findings_.Add(kOptionFile, 0,
                          "has " + std::to_string(lines.size()) +
                              " line(s); the program reads four: name, true/false, opacity, "
                              "dialogue count");
        }
        if (lines.size() >= 2 && !lines[1].text.empty() && lines[1].text != base_format::kTrue &&
            lines[1].text != base_format::kFalse) {
            findings_.Add(
                kOptionFile, 2,
                Quote(lines[1].text) + " should be true or false; the program reads it as false");
        }
        if (lines.size() >= 3 && !lines[2].text.empty()) {
            const auto opacity = OptionInteger(lines[2].text);
            if (!opacity) {
                findings_.Add(kOptionFile, 3,
                              "opacity " + Quote(lines[2].text) + " is not an integer");
            } else if (*opacity < kMinOpacity || *opacity > kMaxOpacity) {
                findings_.Warn(kOptionFile, 3,
                               "opacity " + std::to_string(*opacity) + " is outside " +
                                   std::to_string(kMinOpacity) + " to " +
                                   std::to_string(kMaxOpacity) + "; the program uses " +
                                   std::to_string(std::clamp(*opacity, kMinOpacity, kMaxOpacity)));
            }
        }
        if (lines.size() >= 4 && !lines[3].text.empty()) {
            const auto count = OptionInteger(lines[3].text);
            if (!count) {
                findings_.Add(kOptionFile, 4,
                              "dialogue count " + Quote(lines[3].text) + " is not an integer");
            } else if (*count < 0 || static_cast<std::size_t>(*count) != entries) {
                findings_.Add(kOptionFile, 4,
                              "stored dialogue count " + std::to_string(*count) +
                                  " differs from the " + std::to_string(entries) +
                                  " entries in path.tmb");
            }
        }
        if (lines.size() > kOptionLines) {
            findings_.Add(kOptionFile, kOptionLines + 1,
                          "extra line; the program reads only the first four");
        }
    }

    std::vector<Entry> CheckPathList(const std::vector<StoredLine>& lines) {
        std::vector<Entry> entries;
        std::map<std::string, std::size_t> listedAt;
        const auto lastEntry = std::find_if(lines.rbegin(), lines.rend(), [](const auto& line) {
            return !base_format::IsBlankEntry(line.text);
        });
        if (lastEntry == lines.rend()) {
            findings_.Add(kPathList, 0,
                          "lists no dialogues: nothing can be answered until one is taught");
        }
        const auto lastNumber = static_cast<std::size_t>(lines.rend() - lastEntry);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& name = lines[i].text;
            const std::size_t number = i + 1;
            if (base_format::IsBlankEntry(name)) {
                continue;
            }
            if (lines[i].length > base_format::kMaxEntryLength) {
                findings_.Add(kPathList, number,
                              "line of " + std::to_string(lines[i].length) +
                                  " bytes, longer than any entry can be (" +
                                  std::to_string(base_format::kMaxEntryLength) +
                                  "): the program fails at it");
                continue;
            }
            CheckEntryForm(name, number, number == lastNumber);
            if (const std::string fault = dialogue_path::Fault(name); !fault.empty()) {
                findings_.Add(kPathList, number,
                              "entry " + Quote(name) + " names no file in the folder dlg (" +
                                  fault + "): the program skips it and never reads or writes it");
                continue;
            }
            const std::string file = base_format::DialogueFilePath(name);
            const auto [earlier, first] = listedAt.emplace(file, number);
            if (!first) {
                findings_.Add(
                    kPathList, number,
                    "entry " + Quote(name) + " repeats line " + std::to_string(earlier->second));
                continue;
            }
            struct stat info {};
            if (!LookAt(calls_, dir_ / file, info)) {
                findings_.Add(kPathList, number, "entry " + Quote(name) + " names a missing file");
            } else if (!S_ISREG(info.st_mode)) {
                findings_.Add(
                    kPathList, number,
                    "entry " + Quote(name) + " names " + KindOf(info.st_mode) + ", not a file");
            } else {
                entries.push_back({name, file});
            }
        }
        return entries;
    }

    // The program reads a number from an entry only to name the dialogue taught after the
    // last one; it opens every entry as it stands.
    void CheckEntryForm(const std::string& name, std::size_t number, bool last) {
        if (base_format::IsUsualDialogueEntry(name)) {
            return;
        }
        const auto read = base_format::DialogueNumber(name);
        if (read) {
            findings_.Warn(kPathList, number,
                           "entry " + Quote(name) +
                               " is not in the usual form dlg\\N.dlg; the program reads it as "
                               "number " +
                               std::to_string(*read));
        } else {
            findings_.Add(kPathList, number,
                          "entry " + Quote(name) + " is not of the form dlg\\N.dlg" +
                              (last ? ": no dialogue can be taught after it" : ""));
        }
    }

    void CheckDialogue(const Entry& entry) {
        try {
            BaseFileLines lines(calls_, dir_ / entry.file);
            LineChecks checks(findings_, entry.file);
            DialogueCheck dialogue(findings_, openers_, concepts_, entry.file, entry.name);
            StoredLine line;
            while (lines.Next(line)) {
                checks.Line(line, lines.Count());
                dialogue.Line(line);
            }
            checks.End(lines, lines.Count() > 0 ? &line : nullptr);
            dialogue.End();
        } catch (const FileTrouble& trouble) {
            findings_.Unreadable(entry.file, trouble.what());
        }
    }

    void CheckUnlisted(const std::vector<StoredLine>& paths) {
        std::set<std::string> listed;
        for (const auto& line : paths) {
            listed.insert(base_format::DialogueFilePath(line.text));
        }
        std::vector<std::string> unlisted;
        const std::string folder(base_format::kDialogueFolder);
        calls_.ListFolder((dir_ / folder).string().c_str(), [&](std::string_view name) {
            const std::string file = folder + "/" + std::string(name);
            struct stat info {};
            if (name.ends_with(".dlg") && name != ".dlg" && !listed.contains(file) &&
                LookAt(calls_, dir_ / file, info) && S_ISREG(info.st_mode)) {
                unlisted.push_back(file);
            }
        });
        // dlg/9.dlg before dlg/10.dlg.
        std::sort(unlisted.begin(), unlisted.end(), [](const auto& a, const auto& b) {
            return std::pair(a.size(), a) < std::pair(b.size(), b);
        });
        for (const auto& file : unlisted) {
            findings_.Warn(file, 0, "not listed in path.tmb, so the program never reads it");
        }
    }

    // The program reads and writes no dialogue through a linked dlg.
    void CheckDialogueFolder() {
        struct stat info {};
        const std::string folder(base_format::kDialogueFolder);
        if (LookAt(calls_, dir_ / folder, info, false) && S_ISLNK(info.st_mode)) {
            findings_.Add(folder, 0,
                          "is a symbolic link: the program reads and writes no dialogue "
                          "through it");
        }
    }

    // What the base window forgot: files in dlg/forgotten/ are kept aside on purpose and
    // never read (the unlisted-file walk does not enter that folder), and forgotten.tmb,
    // when there, keeps the line rules of every base file.
    void CheckForgotten() {
        struct stat info {};
        const std::string folder(base_format::kForgottenFolder);
        if (LookAt(calls_, dir_ / folder, info, false) && S_ISLNK(info.st_mode)) {
            findings_.Add(folder, 0,
                          "is a symbolic link: forgetting a dialogue refuses to move its file "
                          "out of the data folder through it");
        } else if (LookAt(calls_, dir_ / folder, info, false) && !S_ISDIR(info.st_mode)) {
            findings_.Add(folder, 0,
                          "is " + KindOf(info.st_mode) +
                              ", not a folder: forgetting a dialogue cannot put its file there");
        }
        const std::string openers(base_format::kForgottenOpeners);
        if (LookAt(calls_, dir_ / openers, info, false)) {
            ReadListFile(openers, 1);
        }
    }

    // The word substitutions, when there: each line a substitution the program can use, and
    // no word led back to itself.
    void CheckWords() {
        const std::string name(base_format::kWordSubstitutions);
        struct stat info {};
        if (!LookAt(calls_, dir_ / name, info, false)) {
            return;
        }
        std::vector<std::string> usable;
        std::map<std::string, std::size_t> givenAt;
        try {
            BaseFileLines lines(calls_, dir_ / name);
            LineChecks checks(findings_, name);
            StoredLine line;
            while (lines.Next(line)) {
                checks.Line(line, lines.Count());
                if (CheckWordLine(name, line, lines.Count(), givenAt)) {
                    usable.push_back(line.text);
                }
            }
            checks.End(lines, lines.Count() > 0 ? &line : nullptr);
        } catch (const FileTrouble& trouble) {
            findings_.Unreadable(name, trouble.what());
            return;
        }
        for (const std::string& word : WordSubstitutions::FromLines(usable).WordsInCycles()) {
            findings_.Add(name, givenAt.at(word),
                          Quote(word) +
                              " leads back to itself through the replacements; the program "
                              "stops where it would come round");
        }
    }

    // Whether the line is one the program uses; each fault is a finding.
    bool CheckWordLine(const std::string& name, const StoredLine& line, std::size_t number,
                       std::map<std::string, std::size_t>& givenAt) {
        if (line.text.empty()) {
            return false;  // an empty line is a finding of its own
        }
        if (line.length > base_format::kMaxWordsLineLength) {
            findings_.Add(name, number,
                          "line of " + std::to_string(line.length) + " bytes, longer than " +
                              std::to_string(base_format::kMaxWordsLineLength) +
                              ": the program leaves it out");
            return false;
        }
        WordSubstitution substitution;
        switch (ParseSubstitution(line.text, substitution)) {
            case SubstitutionFault::kMalformed:
                findings_.Add(name, number,
                              Quote(line.text) +
                                  " is not word=replacement (one word, \"=\", then zero or more "
                                  "words); the program leaves it out");
                return false;
            case SubstitutionFault::kNegation:
                findings_.Add(name, number,
                              Quote(substitution.word) +
                                  " turns a phrase's meaning round and is never replaced or "
                                  "dropped; the program leaves the line out");
                return false;
            case SubstitutionFault::kItself:
                findings_.Add(name, number,
                              Quote(substitution.word) +
                                  " is replaced by itself; the program leaves the line out");
                return false;
            case SubstitutionFault::kNone:
                break;
        }
        const auto [earlier, first] = givenAt.emplace(substitution.word, number);
        if (!first) {
            findings_.Add(name, number,
                          Quote(substitution.word) + " is already given at line " +
                              std::to_string(earlier->second) + ", which the program uses");
            return false;
        }
        return true;
    }

    fs::path dir_;
    FileCalls& calls_;
    Findings findings_;
    OpenerOwners openers_;
    std::set<std::string> concepts_;
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

std::vector<Finding> CheckBase(const fs::path& baseDir, FileCalls& calls) {
    return Checker(baseDir, calls).Run();
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
