#include "tools/merge.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/base_editor.h"
#include "engine/base_format.h"
#include "engine/dialogue_commit.h"
#include "engine/dialogue_reader.h"
#include "engine/engine.h"
#include "engine/options.h"
#include "platform/base_lock.h"
#include "platform/errors.h"
#include "platform/text_file.h"
#include "tools/tool_output.h"

namespace tumbo::tools {

namespace {

constexpr std::string_view kTool = "tumbo-merge";
constexpr std::string_view kUsage = "usage: tumbo-merge BUNDLED_BASE USER_BASE\n";
constexpr std::string_view kHelp =
    "Adds to USER_BASE every dialogue of BUNDLED_BASE none of whose opening phrases is\n"
    "already an opening phrase in USER_BASE, in BUNDLED_BASE's order, each as a new\n"
    "numbered dialogue at the end of the path list, and prints each one it adds. Nothing\n"
    "USER_BASE holds is changed, renamed or removed, and a second run adds nothing.\n"
    "A dialogue any of whose opening phrases USER_BASE lists in forgotten.tmb (the user\n"
    "forgot it in the base window) is never added.\n"
    "Exit status: 0 done, 1 some dialogue could not be added (those added are whole),\n"
    "2 bad usage or a base that cannot be read, 3 USER_BASE is in use by Tumbo.\n";

using Lines = std::vector<std::string>;

std::string PrefixOf(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

Lines ReadLines(TextFile& file, const std::string& path) {
    Lines lines;
    file.Assign(path);
    file.Reset();
    while (!file.Eof()) {
        lines.push_back(file.ReadLine());
    }
    file.Close();
    return lines;
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
    Merge(const std::string& bundled, const std::string& user, std::ostream& out, std::ostream& err,
          FileCalls& calls)
        : bundled_(PrefixOf(bundled)),
          user_(PrefixOf(user)),
          out_(out),
          err_(err),
          calls_(calls),
          reader_(calls),
          dialogues_(calls),
          pathList_(calls),
          optionFile_(calls),
          newDialogue_(calls) {}

    int Run() {
        std::unique_ptr<BaseLock> lock;
        Lines bundledEntries;
        try {
            lock = BaseLock::TryAcquire(DataFolderOf(user_));
            if (lock == nullptr) {
                err_ << kTool << ": " << user_
                     << " is in use by Tumbo or another merge; nothing was changed\n";
                return merge_status::kBusy;
            }
            Engine::RemoveStaleTemporaries(user_, calls_);
            reader_.Assign(bundled_ + std::string(base_format::kPathList));
            bundledEntries = base_format::ReadPathList(reader_);
            reader_.Assign(user_ + std::string(base_format::kPathList));
            userEntries_ = base_format::ReadPathList(reader_);
            for (std::string& opener : ReadForgottenOpeners(user_, calls_)) {
                forgottenOpeners_.insert(std::move(opener));
            }
        } catch (const TumboError& error) {
            PrintFailure(err_, kTool, error);
            return merge_status::kUnusable;
        }
        CollectUserOpeners();
        pathList_.Assign(user_ + std::string(base_format::kPathList));
        optionFile_.Assign(user_ + std::string(base_format::kOptionFile));
        bool incomplete = false;
        for (const std::string& entry : bundledEntries) {
            Lines lines;
            try {
                lines = ReadLines(reader_, bundled_ + entry);
            } catch (const TumboError& error) {
                Report("cannot read bundled " + Utf8(entry) + ", which is left out", error);
                incomplete = true;
                continue;
            }
            const Lines openers = OpenersOf(lines);
            if (openers.empty()) {
                // It could never start, and would be added again at every run.
                err_ << kTool << ": bundled " << Utf8(entry) << " has no opener; it is left out\n";
                continue;
            }
            if (std::any_of(openers.begin(), openers.end(),
                            [this](const std::string& o) { return userOpeners_.contains(o); })) {
                ++present_;
                continue;
            }
            // The user took it out of the base on purpose.
            if (std::any_of(openers.begin(), openers.end(), [this](const std::string& o) {
                    return forgottenOpeners_.contains(o);
                })) {
                ++forgotten_;
                continue;
            }
            if (!Add(entry, lines, openers)) {
                Summary();
                return merge_status::kIncomplete;
            }
        }
        Summary();
        return incomplete ? merge_status::kIncomplete : merge_status::kDone;
    }

private:
    // A dialogue of the user's that cannot be read is left out of the comparison: the
    // merge still adds what is new next to what can be read.
    void CollectUserOpeners() {
        for (const std::string& entry : userEntries_) {
            try {
                for (std::string& opener : ReadOpeners(dialogues_, user_ + entry)) {
                    userOpeners_.insert(std::move(opener));
                }
            } catch (const TumboError& error) {
                Report("cannot read the openers of " + Utf8(entry) + " in " + user_, error);
            }
        }
    }

    // Commits one bundled dialogue after the user's last one, then raises the stored count.
    // False, with the failure reported, when either could not be done.
    bool Add(const std::string& entry, const Lines& lines, const Lines& openers) {
        try {
            if (!nextNumber_) {
                nextNumber_ = NextDialogueNumber(
                    userEntries_.empty() ? nullptr : &userEntries_.back(), pathList_.Path());
                ReadOptions();
            }
            const std::int64_t number =
                CommitNumberedDialogue(user_, *nextNumber_, lines, newDialogue_, pathList_);
            nextNumber_ = number + 1;
            for (const std::string& opener : openers) {
                userOpeners_.insert(opener);
            }
            ++added_;
            std::string file = base_format::DialogueEntry(number);
            std::replace(file.begin(), file.end(), '\\', '/');
            out_ << "added " << file << ": " << Utf8(openers.front()) << '\n';
        } catch (const TumboError& error) {
            Report("could not add bundled " + Utf8(entry), error);
            return false;
        }
        try {
            if (options_) {
                // The path list, which only this merge changes now, holds the user's
                // entries and the ones added: a count a crash left behind heals here.
                options_->DialogueCount = static_cast<int>(std::min<std::size_t>(
                    userEntries_.size() + added_, std::numeric_limits<int>::max()));
                base_format::WriteOptionLines(optionFile_, *options_);
            }
        } catch (const TumboError& error) {
            Report("bundled " + Utf8(entry) + " is added, but the count could not be raised",
                   error);
            return false;
        }
        return true;
    }

    // The count is stored only in an option file the program reads whole: rewriting any
    // other would lose what the user has there.
    void ReadOptions() {
        const std::string what =
            "the dialogue count in " + optionFile_.Path() + " is left as it is";
        try {
            base_format::OptionLines read = base_format::ReadOptionLines(optionFile_);
            if (read.problem) {
                std::rethrow_exception(read.problem);
            }
            options_ = read.options;
        } catch (const TumboError& error) {
            Report(what, error);
        }
    }

    void Report(const std::string& what, const TumboError& error) {
        PrintFailure(err_, std::string(kTool) + ": " + what, error);
    }

    void Summary() {
        out_ << kTool << ": added " << added_ << " dialogue(s) to " << user_ << "; " << present_
             << " open with a phrase it already has";
        if (forgotten_ > 0) {
            out_ << "; " << forgotten_ << " were forgotten there";
        }
        out_ << '\n';
    }

    std::string bundled_;
    std::string user_;
    std::ostream& out_;
    std::ostream& err_;
    FileCalls& calls_;
    TextFile reader_;
    DialogueReader dialogues_;
    TextFile pathList_;
    TextFile optionFile_;
    TextFile newDialogue_;
    Lines userEntries_;
    std::unordered_set<std::string> userOpeners_;
    std::unordered_set<std::string> forgottenOpeners_;
    std::optional<std::int64_t> nextNumber_;
    std::optional<TOptions> options_;
    int added_ = 0;
    int present_ = 0;
    int forgotten_ = 0;
};

}  // namespace

int RunMerge(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             FileCalls& calls) {
    const std::string_view first = argc > 1 ? argv[1] : "";
    if (argc == 2 && (first == "--help" || first == "-h")) {
        out << kUsage << kHelp;
        return merge_status::kDone;
    }
    if (argc != 3 || first.starts_with("-") || std::string_view(argv[2]).starts_with("-")) {
        err << kUsage;
        return merge_status::kUnusable;
    }
    return Merge(argv[1], argv[2], out, err, calls).Run();
}

}  // namespace tumbo::tools
