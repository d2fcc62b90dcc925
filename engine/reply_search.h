#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/base_format.h"
#include "engine/concepts.h"
#include "engine/conversation.h"
#include "engine/dialogue_path.h"
#include "engine/dialogue_reader.h"
#include "engine/opener_cache.h"
#include "engine/phrase_words.h"
#include "engine/spelling_dictionary.h"
#include "engine/word_match.h"
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
//
// Dialogues the base marks urgent come before all that: a trigger of theirs met by the
// whole phrase or any clause, through every tier but the closest meaning, outranks every
// other answer, and while one is current its own turns come first and it holds the
// conversation. A phrase with a danger sign that nothing urgent meets gets the base's
// general help unless another dialogue answers it whole.
class ReplySearch {
public:
    enum class Tier {
        kExact,
        kFolded,
        kOneTypo,
        kSameWords,
        kPattern,
        kAnyOrder,
        kClosestMeaning,
        // Nothing else answered: the current dialogue's `*` turn, or the general help.
        kCatchAll,
        kGeneralHelp,
    };
    // An urgent dialogue holds the conversation for this many phrases after it answers:
    // only its own turns and other urgent dialogues answer them.
    static constexpr int kHeldPhrases = 5;
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
        // The classes the answering trigger names, each with the words that met it, UTF-8.
        std::vector<std::string> concepts;
        // The answering dialogue is urgent; the phrase came while an urgent one held the
        // conversation (how many phrases it had answered since it took over, else -1).
        bool urgent = false;
        int held = -1;
        // The phrase's danger signs (class and words, UTF-8), and whether they brought the
        // general help because nothing urgent met the phrase.
        std::vector<std::string> dangerSigns;
        bool safetyNet = false;
    };
    // Told how many dialogues the walk of the base has read so far.
    using Progress = std::function<void(int dialogues)>;

    explicit ReplySearch(FileCalls& calls, std::string dictionaryFolder =
                                               std::string(SpellingDictionary::kSystemFolder));

    // The base is the one under `programDir`.
    void Bind(const std::string& programDir);

    // Looks for `phrase`, lower case already, and leaves `conversation` where the design's
    // walk leaves it: in the answering dialogue, or out of context after the last one.
    // Files that cannot be read throw InOutError.
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
    static constexpr std::size_t kTiers = 6;
    enum class Reading { kOpeners, kAllTurns, kAllTurnsTolerantly };
    struct Candidate {
        std::string entry;
        std::size_t line = 0;
        bool found = false;
        // The trigger's elements, for a hit by words: what its classes met is told.
        std::vector<WordId> elements;
        // Where in the walk: 0 for the current dialogue, then each dialogue's place + 1.
        std::size_t order = 0;
    };
    using Hits = std::array<Candidate, kTiers>;
    // Whose triggers a hit is: the current dialogue's, an urgent dialogue's, any other's.
    enum class Owner { kOwn, kUrgent, kOther };
    // The whole phrase, or one of its clauses.
    struct Query {
        std::string text;
        std::string folded;
        std::vector<WordId> words;
        std::vector<WordId> sortedWords;
        // Where each sentence's words end; a clause is one sentence.
        std::vector<std::uint32_t> sentenceEnds;
        // The words of the whole phrase within which a pattern's excluded elements must not
        // stand: the sentence a clause is part of, or the whole phrase.
        std::uint32_t scopeBegin = 0;
        std::uint32_t scopeEnd = 0;
        std::optional<ClassOccurrences> classes;
        bool typosAllowed = false;
        std::size_t meaningfulWords = 0;
        Hits own;
        Hits urgent;
        Hits hits;
        Hits& Of(Owner owner) {
            return owner == Owner::kOwn ? own : owner == Owner::kUrgent ? urgent : hits;
        }
    };
    // What the search chose, and whose it was.
    struct Choice {
        const Candidate* candidate = nullptr;
        Query* query = nullptr;
        Tier tier = Tier::kExact;
        bool urgent = false;
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
    void AddQuery(std::string text, std::uint32_t scopeBegin, std::uint32_t scopeEnd);
    bool NextEntry(base_format::PathListEntries& list, std::string& entry, bool& walkedAll);
    // Reads a dialogue's triggers; true when the whole phrase is exactly one of an urgent
    // dialogue's openers, which nothing later in the walk can outrank.
    bool SearchDialogue(const std::string& entry, Reading reading, std::size_t place = 0);
    void ConsiderTolerantly(const std::string& entry, std::string_view trigger, Owner owner);
    void WordTheWalked();
    bool IsTypo(std::string_view foldedPhrase);
    void FindByWords();
    void MatchWords(const std::string& entry, const DialogueWords& words, Owner owner,
                    std::size_t order);
    Choice Choose(int heldBefore);
    Choice Ladder(Owner owner, bool ownFirst, bool parts);
    std::optional<Choice> ClosestMeaning(Query& query);
    std::vector<std::string> DangerSigns();
    void Record(const Choice& choice);
    void OpenAt(const Candidate& candidate);

    // What words.tmb was when it was last read, to tell a change by one stat per phrase.
    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        std::int64_t changedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    FileStamp StampOf(const std::string& path);

    FileCalls& calls_;
    std::string programDir_;
    std::string pathListPath_;
    std::string wordsPath_;
    std::string conceptsPath_;
    LineReader pathList_;
    LineReader wordsFile_;
    DialogueReader reader_;
    std::string dialoguePath_;

    PhraseWords analysis_;
    SpellingDictionary dictionary_;
    OpenerCache cache_;
    FileStamp substitutionsFile_;
    FileStamp conceptsFile_;
    bool substitutionsRead_ = false;

    std::vector<Query> queries_;
    std::string foldedTrigger_;
    std::vector<WordId> scratchIds_;
    std::vector<Unworded> unworded_;
    std::string contextEntry_;
    DialogueWords contextWords_;
    std::size_t walked_ = 0;
    // What the walk met on the way: a whole-phrase exact hit of an ordinary dialogue (only
    // urgent ones are compared after it); the current dialogue's `*` turn; the first general
    // help dialogue.
    bool exactFound_ = false;
    Candidate catchAll_;
    Candidate generalHelp_;
    Candidate closest_;
    Match match_;
    std::unordered_set<std::string> reported_;
    std::exception_ptr refused_;
};

}  // namespace tumbo
