#pragma once

#include <string>

#include "platform/errors.h"
#include "platform/file_calls.h"

namespace tumbo {

// How a merge of the bundled base into a user's base ended (tumbo-merge's exit statuses).
namespace merge_status {
inline constexpr int kDone = 0;        // every dialogue there was to add is added
inline constexpr int kIncomplete = 1;  // some could not be added; those added are whole
inline constexpr int kUnusable = 2;    // bad usage, or a base that cannot be read
inline constexpr int kBusy = 3;        // the user's base is in use: nothing was changed
}  // namespace merge_status

// What a merge tells as it goes. Entries and openers are base text (code page 1251).
class MergeReport {
public:
    enum class Problem {
        kUnusable,                // a base's lists cannot be read: nothing was changed
        kBundledUnreadable,       // a bundled dialogue is left out
        kNoOpener,                // a bundled dialogue that could never start is left out
        kUserDialogueUnreadable,  // the user's dialogue is left out of the comparison
        kNotAdded,                // the merge stops there
        kCountNotRaised,          // the dialogue is added, the merge stops there
        kCountLeftAlone,          // `entry` is the option file the program cannot read
        kWordsNotAdded,           // `entry` is words.tmb: none of its new lines were added
        kConceptsNotAdded,        // `entry` is concepts.tmb: none of its new lines were added
        kForgottenAfterEndMark,   // `entry` is forgotten.tmb: what follows its end mark is
                                  // not read, so no dialogue is kept out by it
    };

    virtual ~MergeReport() = default;
    // `file` is the new dialogue's path below the base, "dlg/7.dlg".
    virtual void Added(const std::string& file, const std::string& opener) = 0;
    // A bundled line of words.tmb added at the end of the user's, or to a new one.
    virtual void AddedWords(const std::string& line) = 0;
    // A line of concepts.tmb added the same way: a class, or a class's new entries.
    virtual void AddedConcepts(const std::string& line) = 0;
    // `error` is null where nothing failed but the dialogue itself.
    virtual void Failed(Problem problem, const std::string& entry, const TumboError* error) = 0;
};

struct MergeCounts {
    int added = 0;
    int present = 0;    // open with a phrase the user's base already has
    int forgotten = 0;  // the user forgot them in the base window
    int words = 0;      // lines added to words.tmb
    int concepts = 0;   // lines added to concepts.tmb
};

// Adds to the user's base every bundled dialogue none of whose openers is already an opener
// there or was forgotten there, in the bundled order, each committed as a taught dialogue
// is, and raises the stored count after each. A mark is no opener for this; an urgent
// bundled dialogue is kept out only by an urgent dialogue of the user's with one of its
// openers, so help comes to a base whose older dialogues have the same phrases. Before
// them, the bundled words.tmb's lines for words the user's words.tmb does not give are added
// at its end in the bundled order (all of them to a new file when it has none), and so are
// concepts.tmb's classes and entries the user's does not have, every line of the user's kept. The
// caller holds the user's base. Returns a merge_status; `counts` says what was done, also when it
// stopped early.
int MergeBundledDialogues(const std::string& bundled, const std::string& user, MergeReport& report,
                          MergeCounts& counts, FileCalls& calls = SystemFileCalls());

}  // namespace tumbo
