#include "tools/merge.h"

#include <memory>
#include <string>
#include <string_view>

#include "engine/base_format.h"
#include "engine/base_merge.h"
#include "engine/engine.h"
#include "engine/merge_notes.h"
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
    MergeNotes notes(user);
    MergeCounts counts;
    const int status = MergeBundledDialogues(bundled, user, notes, counts, calls);
    for (const std::string& line : notes.added) {
        out << line << '\n';
    }
    for (const Failure& failure : notes.failures) {
        PrintFailure(err, kTool, failure);
    }
    if (status != merge_status::kUnusable) {
        out << kTool << ": " << MergeSummary(counts, user) << '\n';
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
