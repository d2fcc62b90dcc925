#include "engine/reply_search.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/base_format.h"
#include "engine/dialogue_path.h"
#include "engine/phrase_fold.h"
#include "engine/phrase_parts.h"
#include "engine/word_match.h"
#include "platform/errors.h"

namespace tumbo {

namespace {

constexpr std::size_t kLettersForTypos = 5;
// How much meaning a phrase must share with a trigger to be answered by it; an answer
// that is off is worse than being asked to teach, so the bar is high.
constexpr double kEnoughSharedMeaning = 0.7;

constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;

constexpr std::size_t Index(ReplySearch::Tier tier) {
    return static_cast<std::size_t>(tier);
}

}  // namespace

ReplySearch::ReplySearch(FileCalls& calls, std::string dictionaryFolder)
    : calls_(calls),
      pathList_(calls),
      wordsFile_(calls),
      reader_(calls),
      dictionary_(std::move(dictionaryFolder)) {}

void ReplySearch::Bind(const std::string& programDir) {
    programDir_ = programDir;
    pathListPath_ = programDir_ + std::string(base_format::kPathList);
    wordsPath_ = programDir_ + std::string(base_format::kWordSubstitutions);
    cache_.Clear();
    substitutionsRead_ = false;
    reported_.clear();
}

bool ReplySearch::Allowed(dialogue_path::Checker& checker, const std::string& entry) {
    try {
        checker.Require(entry, "read");
        return true;
    } catch (const dialogue_path::EntryRefused&) {
        // Told once a run: the walk goes on without it at every phrase.
        if (reported_.insert(entry).second && !refused_) {
            refused_ = std::current_exception();
        }
        return false;
    }
}

std::exception_ptr ReplySearch::TakeRefused() {
    return std::exchange(refused_, nullptr);
}

std::size_t ReplySearch::KeptBytes() const {
    return cache_.MemoryBytes() + analysis_.MemoryBytes();
}

ReplySearch::FileStamp ReplySearch::WordsFileStamp() {
    struct stat info {};
    if (calls_.Stat(wordsPath_.c_str(), &info) != 0) {
        const int err = errno;
        const int code = CodeFromErrno(err, wordsPath_, calls_);
        if (code == kFileNotFound || code == kPathNotFound) {
            return {};
        }
        throw InOutError(code, "look at", wordsPath_, err);
    }
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    return {info.st_dev, info.st_ino, info.st_size,
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * kNsPerSecond + info.st_mtim.tv_nsec};
}

void ReplySearch::ReadSubstitutions() {
    const FileStamp file = WordsFileStamp();
    if (substitutionsRead_ && file == substitutionsFile_) {
        return;
    }
    // Every word the base has given may read otherwise now.
    analysis_.SetSubstitutions(file == FileStamp{} ? WordSubstitutions{}
                                                   : ReadWordSubstitutions(wordsFile_, wordsPath_));
    cache_.Clear();
    substitutionsFile_ = file;
    substitutionsRead_ = true;
}

void ReplySearch::PrepareQueries(const std::string& phrase) {
    queries_.clear();
    const auto add = [this](std::string text) {
        Query& query = queries_.emplace_back();
        query.text = std::move(text);
        FoldPhrase(query.text, query.folded);
        analysis_.Analyze(query.folded, query.words);
        query.sortedWords = query.words;
        std::sort(query.sortedWords.begin(), query.sortedWords.end());
        query.typosAllowed = LetterCount(query.folded) >= kLettersForTypos;
        query.meaningfulWords = analysis_.MeaningfulWords(query.folded);
    };
    add(phrase);
    std::vector<std::string> parts = PhraseParts(phrase);
    if (parts.size() > 1 || (parts.size() == 1 && parts.front() != phrase)) {
        for (std::string& part : parts) {
            // A clause of fillers alone («ну», «короче») says nothing of its own.
            if (analysis_.MeaningfulWords(FoldPhrase(part)) > 0) {
                add(std::move(part));
            }
        }
    }
    shortestFolded_ = SIZE_MAX;
    for (const Query& query : queries_) {
        if (!query.folded.empty()) {
            shortestFolded_ = std::min(shortestFolded_, query.folded.size());
        }
    }
}

bool ReplySearch::Find(const std::string& phrase, Conversation& conversation,
                       const Progress& progress) {
    ReadSubstitutions();
    PrepareQueries(phrase);
    match_ = {};
    closest_ = {};
    walked_ = 0;
    unworded_.clear();

    const bool inContext = conversation.AnswerFound;
    const std::string answeredBefore = inContext ? conversation.CurrentDialogue : std::string();
    contextEntry_ = inContext ? conversation.CurrentDialogue : conversation.KeptDialogue;
    contextWords_.Clear();
    conversation.AnswerFound = false;
    const auto answered = [&](const Candidate& candidate) {
        Record(queries_.front(), Tier::kExact, candidate);
        conversation.CurrentDialogue = candidate.entry;
        conversation.AnswerFound = true;
        conversation.KeptDialogue.clear();
        return true;
    };

    dialogue_path::Checker checker(calls_, programDir_);
    if (!contextEntry_.empty() && !Allowed(checker, contextEntry_)) {
        contextEntry_.clear();
    }
    // Whatever the current dialogue holds, a phrase it cannot answer goes on to the base.
    if (!contextEntry_.empty() &&
        SearchDialogue(contextEntry_,
                       inContext ? Reading::kAllTurns : Reading::kAllTurnsTolerantly)) {
        return answered({contextEntry_, reader_.LineNumber(), true});
    }
    base_format::PathListEntries list(pathList_, pathListPath_);
    std::string entry;
    while (list.Next(entry)) {
        if (!Allowed(checker, entry)) {
            continue;
        }
        conversation.CurrentDialogue = entry;
        if (progress) {
            progress(static_cast<int>(walked_ + 1));
        }
        if (SearchDialogue(entry, Reading::kOpeners, walked_++)) {
            if (pathList_.IsOpen()) {
                pathList_.Close();
            }
            return answered({entry, reader_.LineNumber(), true});
        }
    }
    if (pathList_.IsOpen()) {
        pathList_.Close();
    }

    WordTheWalked();
    const Candidate* found = Choose();
    if (found != nullptr) {
        OpenAt(*found);
        conversation.CurrentDialogue = found->entry;
        conversation.AnswerFound = true;
        conversation.KeptDialogue.clear();
    } else {
        conversation.KeptDialogue = answeredBefore;
    }
    cache_.EndWalk(walked_);
    return found != nullptr;
}

bool ReplySearch::SearchDialogue(const std::string& entry, Reading reading, std::size_t place) {
    dialoguePath_.assign(programDir_);
    dialoguePath_.append(entry);
    reader_.Open(dialoguePath_);
    const bool openersOnly = reading == Reading::kOpeners;
    OpenersPrint print;
    while (reader_.NextTrigger(openersOnly)) {
        const std::string_view trigger = reader_.Phrase();
        if (reading != Reading::kAllTurnsTolerantly && trigger == queries_.front().text) {
            return true;
        }
        ConsiderTolerantly(entry, trigger);
        const auto line = static_cast<std::uint32_t>(reader_.LineNumber());
        if (openersOnly) {
            print.Add(line, trigger);
        } else {
            contextWords_.Add(analysis_, line, trigger, scratchIds_);
        }
    }
    reader_.Close();
    if (openersOnly && cache_.Find(place, entry, print.Value()) == nullptr) {
        unworded_.push_back({place, entry, print.Value()});
    }
    return false;
}

void ReplySearch::WordTheWalked() {
    for (const Unworded& dialogue : unworded_) {
        DialogueWords words;
        std::uint64_t openers = dialogue.openers;
        try {
            dialoguePath_.assign(programDir_);
            dialoguePath_.append(dialogue.entry);
            reader_.Open(dialoguePath_);
            while (reader_.NextTrigger(true)) {
                words.Add(analysis_, static_cast<std::uint32_t>(reader_.LineNumber()),
                          reader_.Phrase(), scratchIds_);
            }
            reader_.Close();
        } catch (const InOutError&) {
            // Gone since the walk read it: it takes no part now, and is read again next time.
            reader_.Close();
            words.Clear();
            openers = 0;
        }
        cache_.Store(dialogue.place, dialogue.entry, openers, std::move(words));
    }
    // A first walk of a large base lists every dialogue here; later ones list few.
    unworded_.clear();
    unworded_.shrink_to_fit();
}

void ReplySearch::ConsiderTolerantly(const std::string& entry, std::string_view trigger) {
    const auto record = [&](Query& query, Tier tier) {
        query.hits[Index(tier)] = {entry, reader_.LineNumber(), true};
    };
    bool folded = false;
    for (std::size_t i = 0; i < queries_.size(); ++i) {
        Query& query = queries_[i];
        // Parts are tried exactly too; the whole phrase's exact hit has ended the search.
        if (i > 0 && !query.hits[Index(Tier::kExact)].found && trigger == query.text) {
            record(query, Tier::kExact);
        }
        // A folded hit outranks every typo, so once there is one only the exact comparison
        // goes on. Folding never lengthens a text, so a trigger shorter than the folded
        // phrase less one character can be neither.
        if (query.folded.empty() || query.hits[Index(Tier::kFolded)].found ||
            trigger.size() + 1 < query.folded.size()) {
            continue;
        }
        if (!folded) {
            FoldPhrase(trigger, foldedTrigger_);
            folded = true;
        }
        if (foldedTrigger_ == query.folded) {
            record(query, Tier::kFolded);
        } else if (query.typosAllowed && !query.hits[Index(Tier::kOneTypo)].found &&
                   OneTypoApart(query.folded, foldedTrigger_) && IsTypo(query.folded)) {
            record(query, Tier::kOneTypo);
        }
    }
}

bool ReplySearch::IsTypo(std::string_view foldedPhrase) {
    const std::string_view word = WordAtFirstDifference(foldedPhrase, foldedTrigger_);
    return !word.empty() && !dictionary_.Knows(word);
}

void ReplySearch::FindByWords() {
    // One pass over every kept trigger serves the whole phrase and all its clauses.
    const auto walk = [&](const std::string& entry, const DialogueWords& words) {
        for (const DialogueWords::Trigger& trigger : words.triggers) {
            const std::span<const WordId> triggerWords = words.Of(trigger);
            for (Query& query : queries_) {
                if (query.words.empty()) {
                    continue;
                }
                Candidate& hit =
                    query.hits[Index(trigger.pattern ? Tier::kPattern : Tier::kSameWords)];
                if (hit.found) {
                    continue;
                }
                if (trigger.pattern ? MatchesPattern(triggerWords, query.words)
                                    : SameWords(query.sortedWords, triggerWords, scratchIds_)) {
                    hit = {entry, trigger.line, true};
                }
            }
        }
    };
    if (!contextEntry_.empty()) {
        walk(contextEntry_, contextWords_);
    }
    for (std::size_t place = 0; place < walked_; ++place) {
        walk(cache_.EntryAt(place), cache_.WordsAt(place));
    }
}

ReplySearch::Candidate* ReplySearch::Choose() {
    static constexpr std::array kOrder = {Tier::kExact, Tier::kFolded, Tier::kOneTypo,
                                          Tier::kSameWords, Tier::kPattern};
    const auto firstHit = [&](Query& query, std::size_t from) -> Candidate* {
        for (std::size_t tier = from; tier < kOrder.size(); ++tier) {
            Candidate& candidate = query.hits[Index(kOrder[tier])];
            if (candidate.found) {
                match_.tier = kOrder[tier];
                return &candidate;
            }
        }
        return nullptr;
    };
    FindByWords();
    Query& whole = queries_.front();
    if (Candidate* hit = firstHit(whole, 1)) {
        Record(whole, match_.tier, *hit);
        return hit;
    }
    // The clause answered with the most words answers; the later one on a tie.
    Candidate* best = nullptr;
    Tier bestTier = Tier::kExact;
    const Query* bestQuery = nullptr;
    for (std::size_t i = 1; i < queries_.size(); ++i) {
        Query& part = queries_[i];
        Candidate* hit = firstHit(part, 0);
        if (hit != nullptr &&
            (bestQuery == nullptr || part.meaningfulWords >= bestQuery->meaningfulWords)) {
            best = hit;
            bestTier = match_.tier;
            bestQuery = &part;
        }
    }
    if (best != nullptr) {
        Record(*bestQuery, bestTier, *best);
        return best;
    }
    if (Candidate* closest = ClosestMeaning(whole)) {
        Record(whole, Tier::kClosestMeaning, *closest);
        match_.shared = closestShared_;
        return closest;
    }
    return nullptr;
}

ReplySearch::Candidate* ReplySearch::ClosestMeaning(Query& query) {
    if (query.words.empty()) {
        return nullptr;
    }
    const SharedMeaning meaning(query.words, analysis_, cache_);
    double best = 0;
    const auto walk = [&](const std::string& entry, const DialogueWords& words) {
        for (const DialogueWords::Trigger& trigger : words.triggers) {
            if (trigger.pattern) {
                continue;
            }
            const double score = meaning.Score(words.Of(trigger));
            if (score > best) {
                best = score;
                closest_ = {entry, trigger.line, true};
            }
        }
    };
    if (!contextEntry_.empty()) {
        walk(contextEntry_, contextWords_);
    }
    for (std::size_t place = 0; place < walked_; ++place) {
        walk(cache_.EntryAt(place), cache_.WordsAt(place));
    }
    closestShared_ = best;
    return best >= kEnoughSharedMeaning ? &closest_ : nullptr;
}

void ReplySearch::Record(const Query& query, Tier tier, const Candidate& candidate) {
    match_.tier = tier;
    match_.entry = candidate.entry;
    match_.line = candidate.line;
    match_.part = query.text;
    match_.wholePhrase = &query == &queries_.front();
    match_.words.clear();
    for (const WordId word : query.words) {
        match_.words.push_back(analysis_.Text(word));
    }
}

void ReplySearch::OpenAt(const Candidate& candidate) {
    dialoguePath_.assign(programDir_);
    dialoguePath_.append(candidate.entry);
    reader_.Open(dialoguePath_);
    while (reader_.NextTrigger(false) && reader_.LineNumber() < candidate.line) {
    }
}

std::vector<std::string> ReplySearch::TakeReplyLines() {
    std::vector<std::string> lines = reader_.TakeReplyLines();
    reader_.Close();
    return lines;
}

}  // namespace tumbo
