#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/conversation.h"
#include "engine/dialogue_path.h"
#include "engine/dialogue_reader.h"
#include "engine/opener_cache.h"
#include "engine/phrase_words.h"
#include "engine/spelling_dictionary.h"
#include "platform/file_calls.h"
#include "platform/line_reader.h"

namespace tumbo {

// Finds the trigger that answers a phrase. The exact comparison decides whenever it finds
// anything: in context the current dialogue's triggers, then the openers of the whole base
// in path-list order. Only when nothing is exactly the phrase do the tolerant tiers get a
// turn, one after the other, each walking the current dialogue first and then the openers,
// the first hit winning: the folded phrase; one typo in a word no dictionary knows; the
// same words in any order; the patterns. Then each clause of the phrase through every
// tier, and last the trigger closest in meaning. The files are read once a phrase; what
// the tolerant tiers derive from the openers is kept until their file changes.
class ReplySearch {
public:
    enum class Tier { kExact, kFolded, kOneTypo, kSameWords, kPattern, kClosestMeaning };
    // How the last phrase was answered, for authors who ask why.
    struct Match {
        Tier tier = Tier::kExact;
        std::string entry;
        std::size_t line = 0;
        // The clause that answered, or the whole phrase.
        std::string part;
        bool wholePhrase = true;
        // Its words as compared: substituted and stemmed, UTF-8.
        std::vector<std::string> words;
        // For the closest meaning: how much of it the two share, from 0 to 1.
        double shared = 0;
    };
    // Told how many dialogues the walk of the base has read so far.
    using Progress = std::function<void(int dialogues)>;

    explicit ReplySearch(FileCalls& calls, std::string dictionaryFolder =
                                               std::string(SpellingDictionary::kSystemFolder));

    // The base is the one under `programDir`.
    void Bind(const std::string& programDir);

    // Looks for `phrase`, lower case already, and leaves `conversation` where the design's
    // walk leaves it: in the answering dialogue, or out of context after the last one.
    // True when a trigger answers; TakeReplyLines then gives the lines to choose from.
    bool Find(const std::string& phrase, Conversation& conversation, const Progress& progress);
    std::vector<std::string> TakeReplyLines();
    Tier FoundBy() const { return match_.tier; }
    const Match& LastMatch() const { return match_; }
    // The first path-list entry the last walks left out for breaking the base's rule, not
    // told before in this run; null when there is none new.
    std::exception_ptr TakeRefused();
    // What the kept words of the base cost in memory, roughly.
    std::size_t KeptBytes() const;

private:
    static constexpr std::size_t kTiers = 5;
    enum class Reading { kOpeners, kAllTurns, kAllTurnsTolerantly };
    struct Candidate {
        std::string entry;
        std::size_t line = 0;
        bool found = false;
    };
    // The whole phrase, or one of its clauses.
    struct Query {
        std::string text;
        std::string folded;
        std::vector<WordId> words;
        std::vector<WordId> sortedWords;
        bool typosAllowed = false;
        std::size_t meaningfulWords = 0;
        std::array<Candidate, kTiers> hits;
    };
    // A dialogue the walk found new or changed, worded only when the tolerant tiers come to
    // need it, so an exact answer never pays for it.
    struct Unworded {
        std::size_t place = 0;
        std::string entry;
        std::uint64_t openers = 0;
    };

    bool Allowed(dialogue_path::Checker& checker, const std::string& entry);
    void ReadSubstitutions();
    void PrepareQueries(const std::string& phrase);
    bool SearchDialogue(const std::string& entry, Reading reading, std::size_t place = 0);
    void ConsiderTolerantly(const std::string& entry, std::string_view trigger);
    void WordTheWalked();
    bool IsTypo(std::string_view foldedPhrase);
    void FindByWords();
    Candidate* Choose();
    Candidate* ClosestMeaning(Query& query);
    void Record(const Query& query, Tier tier, const Candidate& candidate);
    void OpenAt(const Candidate& candidate);

    // What words.tmb was when it was last read, to tell a change by one stat per phrase.
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t changedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    FileStamp WordsFileStamp();

    FileCalls& calls_;
    std::string programDir_;
    std::string pathListPath_;
    std::string wordsPath_;
    LineReader pathList_;
    LineReader wordsFile_;
    DialogueReader reader_;
    std::string dialoguePath_;

    PhraseWords analysis_;
    SpellingDictionary dictionary_;
    OpenerCache cache_;
    FileStamp substitutionsFile_;
    bool substitutionsRead_ = false;

    std::vector<Query> queries_;
    std::string foldedTrigger_;
    std::size_t shortestFolded_ = 0;
    std::vector<WordId> scratchIds_;
    std::vector<Unworded> unworded_;
    std::string contextEntry_;
    DialogueWords contextWords_;
    std::size_t walked_ = 0;
    Candidate closest_;
    double closestShared_ = 0;
    Match match_;
    std::unordered_set<std::string> reported_;
    std::exception_ptr refused_;
};

}  // namespace tumbo
