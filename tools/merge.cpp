#include "tools/merge.h"

#include <memory>
#include <string>
#include <string_view>

#include "engine/base_format.h"
#include "engine/base_merge.h"
#include "engine/engine.h"
#include "platform/base_lock.h"
#include "platform/errors.h"
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
    "The lines of BUNDLED_BASE's words.tmb for words USER_BASE's words.tmb does not give\n"
    "are added at its end (the whole file when it has none); the user's lines stay.\n"
    "Exit status: 0 done, 1 some dialogue could not be added (those added are whole),\n"
    "2 bad usage or a base that cannot be read, 3 USER_BASE is in use by Tumbo.\n";

class PrintedReport : public MergeReport {
public:
    PrintedReport(std::string user, std::ostream& out, std::ostream& err)
        : user_(std::move(user)), out_(out), err_(err) {}

    void Added(const std::string& file, const std::string& opener) override {
        out_ << "added " << file << ": " << Utf8(opener) << '\n';
    }

    void AddedWords(const std::string& line) override {
        out_ << "added to words.tmb: " << Utf8(line) << '\n';
    }

    void Failed(Problem problem, const std::string& entry, const TumboError* error) override {
        switch (problem) {
            case Problem::kUnusable:
                PrintFailure(err_, kTool, *error);
                return;
            case Problem::kNoOpener:
                err_ << kTool << ": bundled " << Utf8(entry) << " has no opener; it is left out\n";
                return;
            case Problem::kBundledUnreadable:
                Print("cannot read bundled " + Utf8(entry) + ", which is left out", *error);
                return;
            case Problem::kUserDialogueUnreadable:
                Print("cannot read the openers of " + Utf8(entry) + " in " + user_, *error);
                return;
            case Problem::kNotAdded:
                Print("could not add bundled " + Utf8(entry), *error);
                return;
            case Problem::kCountNotRaised:
                Print("bundled " + Utf8(entry) + " is added, but the count could not be raised",
                      *error);
                return;
            case Problem::kCountLeftAlone:
                Print("the dialogue count in " + entry + " is left as it is", *error);
                return;
            case Problem::kWordsNotAdded:
                Print("could not add the bundled word substitutions to " + user_ + entry, *error);
                return;
        }
    }

    void Summary(const MergeCounts& counts) {
        out_ << kTool << ": added " << counts.added << " dialogue(s) to " << user_ << "; "
             << counts.present << " open with a phrase it already has";
        if (counts.forgotten > 0) {
            out_ << "; " << counts.forgotten << " were forgotten there";
        }
        if (counts.words > 0) {
            out_ << "; " << counts.words << " line(s) added to words.tmb";
        }
        out_ << '\n';
    }

private:
    void Print(const std::string& what, const TumboError& error) {
        PrintFailure(err_, std::string(kTool) + ": " + what, error);
    }

    std::string user_;
    std::ostream& out_;
    std::ostream& err_;
};

int Merge(const std::string& bundled, const std::string& user, std::ostream& out, std::ostream& err,
          FileCalls& calls) {
    std::unique_ptr<BaseLock> lock;
    try {
        lock = BaseLock::TryAcquire(DataFolderOf(user), calls);
    } catch (const TumboError& error) {
        PrintFailure(err, kTool, error);
        return merge_status::kUnusable;
    }
    if (lock == nullptr) {
        err << kTool << ": " << user
            << " is in use by Tumbo or another merge; nothing was changed\n";
        return merge_status::kBusy;
    }
    Engine::RemoveStaleTemporaries(user, calls);
    PrintedReport report(user, out, err);
    MergeCounts counts;
    const int status = MergeBundledDialogues(bundled, user, report, counts, calls);
    if (status != merge_status::kUnusable) {
        report.Summary(counts);
    }
    return status;
}

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
    return Merge(argv[1], base_format::FolderPrefix(argv[2]), out, err, calls);
}

}  // namespace tumbo::tools
