#include "engine/reply_search.h"

#include <algorithm>

#include "engine/base_format.h"
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
    : pathList_(calls),
      wordsFile_(calls),
      reader_(calls),
      dictionary_(std::move(dictionaryFolder)) {}

void ReplySearch::Bind(const std::string& programDir) {
    programDir_ = programDir;
    pathListPath_ = programDir_ + std::string(base_format::kPathList);
    wordsPath_ = programDir_ + std::string(base_format::kWordSubstitutions);
    cache_.Clear();
    substitutionsRead_ = false;
}

std::size_t ReplySearch::KeptBytes() const {
    return cache_.MemoryBytes() + analysis_.MemoryBytes();
}

void ReplySearch::ReadSubstitutions() {
    LineReader::Identity file;
    try {
        wordsFile_.Open(wordsPath_);
        file = wordsFile_.FileIdentity();
        wordsFile_.Close();
    } catch (const InOutError& error) {
        if (error.code() != kFileNotFound && error.code() != kPathNotFound) {
            throw;
        }
    }
    if (substitutionsRead_ && file == substitutionsFile_) {
        return;
    }
    // Every word the base has given may read otherwise now.
    analysis_.SetSubstitutions(file == LineReader::Identity{}
                                   ? WordSubstitutions{}
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
    walked_.clear();
    unworded_.clear();
    unwordedLines_.clear();
    unwordedText_.clear();

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

    // Whatever the current dialogue holds, a phrase it cannot answer goes on to the base.
    if (!contextEntry_.empty() &&
        SearchDialogue(contextEntry_,
                       inContext ? Reading::kAllTurns : Reading::kAllTurnsTolerantly)) {
        return answered({contextEntry_, reader_.LineNumber(), true});
    }
    cache_.BeginWalk();
    base_format::PathListEntries list(pathList_, pathListPath_);
    int walked = 0;
    std::string entry;
    while (list.Next(entry)) {
        conversation.CurrentDialogue = entry;
        if (progress) {
            progress(++walked);
        }
        if (SearchDialogue(entry, Reading::kOpeners)) {
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
    cache_.EndWalk(true);
    return found != nullptr;
}

bool ReplySearch::SearchDialogue(const std::string& entry, Reading reading) {
    dialoguePath_.assign(programDir_);
    dialoguePath_.append(entry);
    reader_.Open(dialoguePath_);
    const bool openersOnly = reading == Reading::kOpeners;
    OpenerCache::Found kept;
    LineReader::Identity file;
    if (openersOnly) {
        file = reader_.FileIdentity();
        kept = cache_.Find(entry, file);
    }
    const bool unworded = openersOnly && kept.words == nullptr;
    const std::size_t firstLine = unwordedLines_.size();
    while (reader_.NextTrigger(openersOnly)) {
        const std::string_view trigger = reader_.Phrase();
        if (reading != Reading::kAllTurnsTolerantly && trigger == queries_.front().text) {
            return true;
        }
        ConsiderTolerantly(entry, trigger);
        const auto line = static_cast<std::uint32_t>(reader_.LineNumber());
        if (unworded) {
            unwordedLines_.push_back({line, unwordedText_.size(), trigger.size()});
            unwordedText_.append(trigger);
        } else if (!openersOnly) {
            contextWords_.Add(analysis_, line, trigger, scratchIds_);
        }
    }
    reader_.Close();
    if (openersOnly) {
        walked_.push_back({kept.entry, kept.words});
        if (unworded) {
            unworded_.push_back(
                {walked_.size() - 1, entry, file, firstLine, unwordedLines_.size()});
        }
    }
    return false;
}

void ReplySearch::WordTheWalked() {
    for (const Unworded& dialogue : unworded_) {
        DialogueWords words;
        for (std::size_t i = dialogue.firstLine; i < dialogue.endLine; ++i) {
            const UnwordedLine& line = unwordedLines_[i];
            words.Add(analysis_, line.number,
                      std::string_view(unwordedText_).substr(line.at, line.size), scratchIds_);
        }
        const OpenerCache::Found kept =
            cache_.Store(dialogue.entry, dialogue.file, std::move(words));
        walked_[dialogue.walked] = {kept.entry, kept.words};
    }
    // A first walk of a large base holds every opener here; later ones hold few.
    unworded_.clear();
    unworded_.shrink_to_fit();
    unwordedLines_.clear();
    unwordedLines_.shrink_to_fit();
    unwordedText_.clear();
    unwordedText_.shrink_to_fit();
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

void ReplySearch::FindByWords(Query& query) {
    if (query.words.empty()) {
        return;
    }
    Candidate& same = query.hits[Index(Tier::kSameWords)];
    Candidate& pattern = query.hits[Index(Tier::kPattern)];
    const auto walk = [&](const std::string& entry, const DialogueWords& words) {
        for (const DialogueWords::Trigger& trigger : words.triggers) {
            if (trigger.pattern) {
                if (!pattern.found && MatchesPattern(words.Of(trigger), query.words)) {
                    pattern = {entry, trigger.line, true};
                }
            } else if (!same.found && SameWords(query.words, words.Of(trigger))) {
                same = {entry, trigger.line, true};
            }
        }
    };
    if (!contextEntry_.empty()) {
        walk(contextEntry_, contextWords_);
    }
    for (const Walked& dialogue : walked_) {
        if (same.found && pattern.found) {
            break;
        }
        walk(*dialogue.entry, *dialogue.words);
    }
}

ReplySearch::Candidate* ReplySearch::Choose() {
    static constexpr std::array kOrder = {Tier::kExact, Tier::kFolded, Tier::kOneTypo,
                                          Tier::kSameWords, Tier::kPattern};
    const auto firstHit = [&](Query& query, std::size_t from) -> Candidate* {
        for (std::size_t tier = from; tier < kOrder.size(); ++tier) {
            if (kOrder[tier] == Tier::kSameWords) {
                FindByWords(query);
            }
            Candidate& candidate = query.hits[Index(kOrder[tier])];
            if (candidate.found) {
                match_.tier = kOrder[tier];
                return &candidate;
            }
        }
        return nullptr;
    };
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
    for (const Walked& dialogue : walked_) {
        walk(*dialogue.entry, *dialogue.words);
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
