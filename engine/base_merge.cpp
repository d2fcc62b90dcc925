#include "engine/base_merge.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/base_editor.h"
#include "engine/base_format.h"
#include "engine/concepts.h"
#include "engine/dialogue_commit.h"
#include "engine/dialogue_path.h"
#include "engine/dialogue_reader.h"
#include "engine/options.h"
#include "engine/word_substitutions.h"
#include "platform/appending_file.h"
#include "platform/file_access.h"
#include "platform/line_reader.h"
#include "platform/new_file.h"

namespace tumbo {

namespace {

using Lines = std::vector<std::string>;
using Problem = MergeReport::Problem;

// The lines of a words.tmb, each up to the length the program reads; none when there is no
// such file.
std::optional<Lines> ReadWordLines(LineReader& file, const std::string& path) {
    try {
        file.Open(path);
    } catch (const InOutError& error) {
        if (error.systemError() == ENOENT) {
            return std::nullopt;
        }
        throw;
    }
    Lines lines;
    std::string line;
    while (!file.Eof()) {
        if (file.ReadLine(line, base_format::kMaxWordsLineLength)) {
            lines.push_back(line);
        }
    }
    file.Close();
    return lines;
}

// Whether a dialogue's first line marks it urgent.
bool IsUrgent(const Lines& openers) {
    return !openers.empty() && base_format::IsMark(openers.front());
}

// The lines to add to a user's concepts.tmb for the bundled one: each bundled line's entries
// the user's class of that name lacks, under the bundled line's name and mark.
Lines NewConceptLines(const Lines& bundled, const Lines& user) {
    std::unordered_map<std::string, std::unordered_set<std::string>> given;
    ConceptLine parsed;
    for (const std::string& line : user) {
        if (!IsConceptComment(line) && ParseConcept(line, parsed) == ConceptFault::kNone) {
            given[parsed.name].insert(parsed.entries.begin(), parsed.entries.end());
        }
    }
    Lines added;
    for (const std::string& line : bundled) {
        if (IsConceptComment(line) || ParseConcept(line, parsed) != ConceptFault::kNone) {
            continue;
        }
        std::unordered_set<std::string>& have = given[parsed.name];
        std::string text;
        for (const std::string& entry : parsed.entries) {
            if (have.insert(entry).second) {
                text += (text.empty() ? "" : ", ") + entry;
            }
        }
        if (!text.empty()) {
            added.push_back((parsed.danger ? "!@" : "@") + parsed.name + "=" + text);
        }
    }
    return added;
}

// The phrases of the opener block of a dialogue's lines, untagged.
Lines OpenersOf(const Lines& lines) {
    Lines openers;
    DialogueLines places;
    for (const std::string& line : lines) {
        const DialogueLines::Place place = places.Next(line);
        if (!place.inOpeners) {
            break;
        }
        if (place.kind == DialogueLines::Kind::kTrigger) {
            openers.push_back(line.substr(1));
        }
    }
    return openers;
}

class Merge {
public:
    Merge(const std::string& bundled, const std::string& user, MergeReport& report,
          MergeCounts& counts, FileCalls& calls)
        : bundled_(base_format::FolderPrefix(bundled)),
          user_(base_format::FolderPrefix(user)),
          report_(report),
          counts_(counts),
          calls_(calls),
          reader_(calls),
          dialogues_(calls) {}

    int Run() {
        Lines bundledEntries;
        bool forgottenAfterMark = false;
        try {
            bundledEntries =
                base_format::ReadPathList(reader_, bundled_ + std::string(base_format::kPathList));
            userEntries_ =
                base_format::ReadPathList(reader_, user_ + std::string(base_format::kPathList));
            for (std::string& opener : ReadForgottenOpeners(user_, calls_, &forgottenAfterMark)) {
                forgottenOpeners_.insert(std::move(opener));
            }
            // New dialogues would land wherever a linked dlg points: nothing is written.
            dialogue_path::RequireRealFolders(calls_, user_, base_format::kDialogueFolder,
                                              "merge new dialogues into");
        } catch (const TumboError& error) {
            report_.Failed(Problem::kUnusable, {}, &error);
            return merge_status::kUnusable;
        }
        if (forgottenAfterMark) {
            report_.Failed(Problem::kForgottenAfterEndMark,
                           std::string(base_format::kForgottenOpeners), nullptr);
        }
        CollectUserOpeners();
        pathList_ = user_ + std::string(base_format::kPathList);
        optionFile_ = user_ + std::string(base_format::kOptionFile);
        bool incomplete = !MergeWords();
        incomplete = !MergeConcepts() || incomplete;
        for (const std::string& entry : bundledEntries) {
            Lines lines;
            try {
                lines = ReadLines(reader_, BundledFile(entry));
            } catch (const TumboError& error) {
                report_.Failed(Problem::kBundledUnreadable, entry, &error);
                incomplete = true;
                continue;
            }
            const Lines marked = OpenersOf(lines);
            const Lines openers = base_format::IdentifyingOpeners(marked);
            if (openers.empty()) {
                // It could never start, and would be added again at every run.
                report_.Failed(Problem::kNoOpener, entry, nullptr);
                continue;
            }
            const std::unordered_set<std::string>& present =
                IsUrgent(marked) ? userUrgentOpeners_ : userOpeners_;
            if (std::any_of(openers.begin(), openers.end(),
                            [&](const std::string& o) { return present.contains(o); })) {
                ++counts_.present;
                continue;
            }
            // The user took it out of the base on purpose.
            if (std::any_of(openers.begin(), openers.end(), [this](const std::string& o) {
                    return forgottenOpeners_.contains(o);
                })) {
                ++counts_.forgotten;
                continue;
            }
            if (!Add(entry, lines, openers, IsUrgent(marked))) {
                return merge_status::kIncomplete;
            }
        }
        return incomplete ? merge_status::kIncomplete : merge_status::kDone;
    }

private:
    // The bundled base is the program's own, read only: its entries keep to dlg/ too.
    std::string BundledFile(const std::string& entry) const {
        const std::string fault = dialogue_path::Fault(entry);
        if (!fault.empty()) {
            throw dialogue_path::EntryRefused(
                entry, "read", bundled_ + std::string(base_format::kPathList), fault);
        }
        return bundled_ + *dialogue_path::FileOf(entry);
    }

    // A dialogue of the user's that cannot be read is left out of the comparison: the
    // merge still adds what is new next to what can be read.
    void CollectUserOpeners() {
        dialogue_path::Checker userEntries(calls_, user_);
        for (const std::string& entry : userEntries_) {
            try {
                const Lines marked = ReadOpeners(dialogues_, userEntries.Require(entry, "read"));
                for (const std::string& opener : base_format::IdentifyingOpeners(marked)) {
                    userOpeners_.insert(opener);
                    if (IsUrgent(marked)) {
                        userUrgentOpeners_.insert(opener);
                    }
                }
            } catch (const TumboError& error) {
                report_.Failed(Problem::kUserDialogueUnreadable, entry, &error);
            }
        }
    }

    // The bundled lines whose word the user's file does not give, added at once or not at
    // all. False, with the failure reported, when they could not be.
    bool MergeWords() {
        return MergeListFile(
            base_format::kWordSubstitutions, Problem::kWordsNotAdded, &MergeReport::AddedWords,
            counts_.words, [](const Lines& bundled, const Lines& user) {
                std::unordered_set<std::string> given;
                WordSubstitution substitution;
                for (const std::string& line : user) {
                    // A faulty line of the user's still says the user has
                    // that word in hand.
                    if (ParseSubstitution(line, substitution) != SubstitutionFault::kMalformed) {
                        given.insert(substitution.word);
                    }
                }
                Lines added;
                for (const std::string& line : bundled) {
                    if (ParseSubstitution(line, substitution) == SubstitutionFault::kNone &&
                        given.insert(substitution.word).second) {
                        added.push_back(line);
                    }
                }
                return added;
            });
    }

    // The bundled classes and entries the user's concepts lack, the same way.
    bool MergeConcepts() {
        return MergeListFile(base_format::kConcepts, Problem::kConceptsNotAdded,
                             &MergeReport::AddedConcepts, counts_.concepts, NewConceptLines);
    }

    // Adds to the user's file `name` (a new one when there is none) the lines `newLines`
    // picks from the bundled and the user's, all at once or none, telling each line and
    // counting them in `count`.
    template <typename Pick>
    bool MergeListFile(std::string_view fileName, Problem problem,
                       void (MergeReport::*told)(const std::string&), int& count, Pick newLines) {
        const std::string name(fileName);
        const std::string path = user_ + name;
        try {
            const std::optional<Lines> bundled = ReadWordLines(reader_, bundled_ + name);
            if (!bundled) {
                return true;
            }
            const std::optional<Lines> user = ReadWordLines(reader_, path);
            const Lines added = newLines(*bundled, user.value_or(Lines{}));
            if (added.empty()) {
                return true;
            }
            if (user) {
                AppendingFile file(calls_);
                file.Open(path);
                WriteAll(file, added);
                file.Commit();
            } else {
                NewFile file(calls_);
                if (!file.Create(path)) {
                    file_access::Fail(calls_, EEXIST, "create", path);
                }
                WriteAll(file, added);
                file.Commit();
            }
            for (const std::string& line : added) {
                (report_.*told)(line);
            }
            count += static_cast<int>(added.size());
        } catch (const TumboError& error) {
            report_.Failed(problem, name, &error);
            return false;
        }
        return true;
    }

    static void WriteAll(LineWriter& file, const Lines& lines) {
        for (const std::string& line : lines) {
            file.WriteLine(line);
        }
    }

    // Commits one bundled dialogue after the user's last one, then raises the stored count.
    // False, with the failure reported, when either could not be done.
    bool Add(const std::string& entry, const Lines& lines, const Lines& openers, bool urgent) {
        try {
            if (!nextNumber_) {
                nextNumber_ = NextDialogueNumber(
                    userEntries_.empty() ? nullptr : &userEntries_.back(), pathList_);
                ReadOptions();
            }
            const std::int64_t number = CommitNumberedDialogue(calls_, user_, *nextNumber_, lines);
            nextNumber_ = number + 1;
            for (const std::string& opener : openers) {
                userOpeners_.insert(opener);
                if (urgent) {
                    userUrgentOpeners_.insert(opener);
                }
            }
            ++counts_.added;
            report_.Added(base_format::DialogueFilePath(base_format::DialogueEntry(number)),
                          openers.front());
        } catch (const TumboError& error) {
            report_.Failed(Problem::kNotAdded, entry, &error);
            return false;
        }
        try {
            if (options_) {
                // The path list, which only this merge changes now, holds the user's
                // entries and the ones added: a count a crash left behind heals here.
                base_format::SetStoredCount(
                    *options_, userEntries_.size() + static_cast<std::size_t>(counts_.added));
                base_format::WriteOptionLines(calls_, optionFile_, *options_);
            }
        } catch (const TumboError& error) {
            report_.Failed(Problem::kCountNotRaised, entry, &error);
            return false;
        }
        return true;
    }

    // The count is stored only in an option file the program reads whole: rewriting any
    // other would lose what the user has there.
    void ReadOptions() {
        try {
            base_format::OptionLines read = base_format::ReadOptionLines(reader_, optionFile_);
            if (read.problem) {
                std::rethrow_exception(read.problem);
            }
            options_ = read.options;
        } catch (const TumboError& error) {
            report_.Failed(Problem::kCountLeftAlone, optionFile_, &error);
        }
    }

    std::string bundled_;
    std::string user_;
    MergeReport& report_;
    MergeCounts& counts_;
    FileCalls& calls_;
    LineReader reader_;
    DialogueReader dialogues_;
    std::string pathList_;
    std::string optionFile_;
    Lines userEntries_;
    std::unordered_set<std::string> userOpeners_;
    std::unordered_set<std::string> userUrgentOpeners_;
    std::unordered_set<std::string> forgottenOpeners_;
    std::optional<std::int64_t> nextNumber_;
    std::optional<TOptions> options_;
};

}  // namespace

int MergeBundledDialogues(const std::string& bundled, const std::string& user, MergeReport& report,
                          MergeCounts& counts, FileCalls& calls) {
    return Merge(bundled, user, report, counts, calls).Run();
}

}  // namespace tumbo
