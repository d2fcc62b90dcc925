#include "engine/reply_search.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "engine/base_format.h"
#include "engine/dialogue_path.h"
#include "engine/phrase_fold.h"
#include "engine/phrase_parts.h"
#include "engine/utf8_text.h"
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
    conceptsPath_ = programDir_ + std::string(base_format::kConcepts);
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

ReplySearch::FileStamp ReplySearch::StampOf(const std::string& path) {
    struct stat info {};
    if (calls_.Stat(path.c_str(), &info) != 0) {
        const int err = errno;
        const int code = CodeFromErrno(err, path, calls_);
        if (code == kFileNotFound || code == kPathNotFound) {
            return {};
        }
        throw InOutError(code, "look at", path, err);
    }
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    return {info.st_dev, info.st_ino, info.st_size,
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * kNsPerSecond + info.st_mtim.tv_nsec};
}

void ReplySearch::ReadSubstitutions() {
    const FileStamp words = StampOf(wordsPath_);
    const FileStamp concepts = StampOf(conceptsPath_);
    if (substitutionsRead_ && words == substitutionsFile_ && concepts == conceptsFile_) {
        return;
    }
    // Every word the base has given may read otherwise now, and every class with it.
    analysis_.SetSubstitutions(
        words == FileStamp{} ? WordSubstitutions{} : ReadWordSubstitutions(wordsFile_, wordsPath_));
    analysis_.SetConcepts(concepts == FileStamp{} ? ConceptSet{}
                                                  : ReadConcepts(wordsFile_, conceptsPath_));
    cache_.Clear();
    substitutionsFile_ = words;
    conceptsFile_ = concepts;
    substitutionsRead_ = true;
}

void ReplySearch::AddQuery(std::string text, std::uint32_t scopeBegin, std::uint32_t scopeEnd) {
    Query& query = queries_.emplace_back();
    query.text = std::move(text);
    FoldPhrase(query.text, query.folded);
    // Sentence by sentence, so that the words tell where each one ends.
    for (const std::string& sentence : PhraseSentences(query.text)) {
        analysis_.Analyze(FoldPhrase(sentence), scratchIds_);
        query.words.insert(query.words.end(), scratchIds_.begin(), scratchIds_.end());
        query.sentenceEnds.push_back(static_cast<std::uint32_t>(query.words.size()));
    }
    query.classes.emplace(query.words, analysis_);
    query.sortedWords = query.words;
    std::sort(query.sortedWords.begin(), query.sortedWords.end());
    query.typosAllowed = LetterCount(query.folded) >= kLettersForTypos;
    query.meaningfulWords = analysis_.MeaningfulWords(query.folded);
    const bool whole = queries_.size() == 1;
    query.scopeBegin = whole ? 0 : scopeBegin;
    query.scopeEnd = whole ? static_cast<std::uint32_t>(query.words.size()) : scopeEnd;
}

void ReplySearch::PrepareQueries(const std::string& phrase) {
    queries_.clear();
    AddQuery(phrase, 0, 0);
    std::vector<std::string> parts = PhraseParts(phrase);
    if (parts.size() > 1 || (parts.size() == 1 && parts.front() != phrase)) {
        // Each clause lies within one sentence, whose words scope its exclusions.
        const std::vector<std::string> sentences = PhraseSentences(phrase);
        // A copy: adding clauses moves the whole phrase's query.
        const std::vector<std::uint32_t> ends = queries_.front().sentenceEnds;
        std::size_t sentence = 0;
        std::size_t sentenceAt = sentences.empty() ? 0 : phrase.find(sentences.front());
        std::size_t partAt = 0;
        for (std::string& part : parts) {
            partAt = phrase.find(part, partAt);
            while (sentence + 1 < sentences.size() &&
                   partAt >= sentenceAt + sentences[sentence].size()) {
                sentenceAt =
                    phrase.find(sentences[sentence + 1], sentenceAt + sentences[sentence].size());
                ++sentence;
            }
            const std::uint32_t begin = sentence == 0 || ends.empty() ? 0 : ends[sentence - 1];
            const std::uint32_t end = ends.empty() ? 0 : ends[std::min(sentence, ends.size() - 1)];
            partAt += part.size();
            // A clause of fillers alone («ну», «короче») says nothing of its own.
            if (analysis_.MeaningfulWords(FoldPhrase(part)) > 0) {
                AddQuery(std::move(part), begin, end);
            }
        }
    }
}

bool ReplySearch::Find(const std::string& phrase, Conversation& conversation,
                       const Progress& progress) {
    ReadSubstitutions();
    PrepareQueries(phrase);
    match_ = {};
    closest_ = {};
    catchAll_ = {};
    generalHelp_ = {};
    exactFound_ = false;
    walked_ = 0;
    unworded_.clear();

    const bool inContext = conversation.AnswerFound;
    const std::string answeredBefore = inContext ? conversation.CurrentDialogue : std::string();
    const int heldBefore = conversation.HeldPhrases;
    contextEntry_ = inContext ? conversation.CurrentDialogue : conversation.KeptDialogue;
    contextWords_.Clear();
    conversation.AnswerFound = false;

    dialogue_path::Checker checker(calls_, programDir_);
    if (!contextEntry_.empty() && !Allowed(checker, contextEntry_)) {
        contextEntry_.clear();
    }
    // Whatever the current dialogue holds, a phrase it cannot answer goes on to the base.
    if (!contextEntry_.empty()) {
        SearchDialogue(contextEntry_,
                       inContext ? Reading::kAllTurns : Reading::kAllTurnsTolerantly);
    }
    base_format::PathListEntries list(pathList_, pathListPath_);
    std::string entry;
    bool walkedAll = true;
    while (NextEntry(list, entry, walkedAll)) {
        if (!Allowed(checker, entry)) {
            continue;
        }
        conversation.CurrentDialogue = entry;
        if (progress) {
            progress(static_cast<int>(walked_ + 1));
        }
        const std::size_t place = walked_++;
        try {
            if (SearchDialogue(entry, Reading::kOpeners, place)) {
                walkedAll = false;
                break;
            }
        } catch (const InOutError&) {
            // Past an answer the walk only looks for urgent dialogues: one it cannot read
            // costs the answer nothing, as it cost nothing when the walk stopped there.
            if (!exactFound_) {
                throw;
            }
            reader_.Close();
            cache_.Store(place, entry, 0, {});
        }
    }
    if (pathList_.IsOpen()) {
        pathList_.Close();
    }

    WordTheWalked();
    FindByWords();
    const Choice choice = Choose(heldBefore);
    if (choice.candidate != nullptr) {
        Record(choice);
        OpenAt(*choice.candidate);
        conversation.HeldPhrases = !choice.urgent ? -1
                                   : heldBefore >= 0 && choice.candidate->entry == contextEntry_
                                       ? heldBefore + 1
                                       : 0;
        match_.held = contextWords_.urgent ? std::max(heldBefore, 0) : -1;
        conversation.CurrentDialogue = choice.candidate->entry;
        conversation.AnswerFound = true;
        conversation.KeptDialogue.clear();
    } else {
        conversation.KeptDialogue = answeredBefore;
        conversation.HeldPhrases = -1;
    }
    // A walk cut short says nothing of what lies beyond it.
    if (walkedAll) {
        cache_.EndWalk(walked_);
    }
    return choice.candidate != nullptr;
}

bool ReplySearch::NextEntry(base_format::PathListEntries& list, std::string& entry,
                            bool& walkedAll) {
    try {
        return list.Next(entry);
    } catch (const InOutError&) {
        // A path list unreadable past an answer: the answer stands, as it did when the
        // walk stopped at it.
        if (!exactFound_) {
            throw;
        }
        walkedAll = false;
        return false;
    }
}

bool ReplySearch::SearchDialogue(const std::string& entry, Reading reading, std::size_t place) {
    dialoguePath_.assign(programDir_);
    dialoguePath_.append(entry);
    reader_.Open(dialoguePath_);
    const bool openersOnly = reading == Reading::kOpeners;
    const Query& whole = queries_.front();
    Owner owner = openersOnly ? Owner::kOther : Owner::kOwn;
    bool urgentExact = false;
    OpenersPrint print;
    while (reader_.NextTrigger(openersOnly)) {
        const std::string_view trigger = reader_.Phrase();
        const auto line = static_cast<std::uint32_t>(reader_.LineNumber());
        if (line == 1 && base_format::IsMark(trigger) && openersOnly) {
            owner = Owner::kUrgent;
        }
        // After an ordinary exact answer only urgent dialogues can still come first.
        const bool compared = owner != Owner::kOther || !exactFound_;
        if (compared && reading != Reading::kAllTurnsTolerantly && trigger == whole.text &&
            !base_format::IsMark(trigger)) {
            Candidate& exact = queries_.front().Of(owner)[Index(Tier::kExact)];
            if (!exact.found) {
                exact = {entry, line, true, {}};
            }
            exactFound_ = exactFound_ || owner == Owner::kOther;
            urgentExact = urgentExact || owner == Owner::kUrgent;
        }
        if (compared && !base_format::IsMark(trigger) && !NamesConcepts(trigger)) {
            ConsiderTolerantly(entry, trigger, owner);
        }
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
    return urgentExact;
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

void ReplySearch::ConsiderTolerantly(const std::string& entry, std::string_view trigger,
                                     Owner owner) {
    bool folded = false;
    for (std::size_t i = 0; i < queries_.size(); ++i) {
        Query& query = queries_[i];
        Hits& hits = query.Of(owner);
        const auto record = [&](Tier tier) {
            hits[Index(tier)] = {entry, reader_.LineNumber(), true, {}};
        };
        // Parts are tried exactly too; the whole phrase's exact hit is taken by the walk.
        if (i > 0 && !hits[Index(Tier::kExact)].found && trigger == query.text) {
            record(Tier::kExact);
        }
        // A folded hit outranks every typo, so once there is one only the exact comparison
        // goes on. Folding never lengthens a text, so a trigger shorter than the folded
        // phrase less one character can be neither.
        if (query.folded.empty() || hits[Index(Tier::kFolded)].found ||
            trigger.size() + 1 < query.folded.size()) {
            continue;
        }
        if (!folded) {
            FoldPhrase(trigger, foldedTrigger_);
            folded = true;
        }
        if (foldedTrigger_ == query.folded) {
            record(Tier::kFolded);
        } else if (query.typosAllowed && !hits[Index(Tier::kOneTypo)].found &&
                   OneTypoApart(query.folded, foldedTrigger_) && IsTypo(query.folded)) {
            record(Tier::kOneTypo);
        }
    }
}

bool ReplySearch::IsTypo(std::string_view foldedPhrase) {
    const std::string_view word = WordAtFirstDifference(foldedPhrase, foldedTrigger_);
    return !word.empty() && !dictionary_.Knows(word);
}

void ReplySearch::MatchWords(const std::string& entry, const DialogueWords& words, Owner owner,
                             std::size_t order) {
    for (const DialogueWords::Trigger& trigger : words.triggers) {
        const std::span<const WordId> elements = words.Of(trigger);
        if (trigger.kind == TriggerKind::kMark) {
            if (words.help && !generalHelp_.found) {
                generalHelp_ = {entry, trigger.line, true, {}};
            }
            continue;
        }
        if (trigger.kind == TriggerKind::kCatchAll) {
            // Only a later turn of the current dialogue can be where the chat stands.
            if (owner == Owner::kOwn && !catchAll_.found) {
                catchAll_ = {entry, trigger.line, true, {}};
            }
            continue;
        }
        const Tier tier = trigger.kind == TriggerKind::kWords     ? Tier::kSameWords
                          : trigger.kind == TriggerKind::kPattern ? Tier::kPattern
                                                                  : Tier::kAnyOrder;
        const bool conceptual = std::any_of(elements.begin(), elements.end(), [](WordId element) {
            return IsClassElement(element) || IsExcludedElement(element);
        });
        // Any order looks at whole sentences, so a clause would only escape its exclusions.
        const std::size_t queries = tier == Tier::kAnyOrder ? 1 : queries_.size();
        for (std::size_t i = 0; i < queries; ++i) {
            Query& query = queries_[i];
            Candidate& hit = query.Of(owner)[Index(tier)];
            if (query.words.empty() || hit.found) {
                continue;
            }
            bool met = false;
            switch (trigger.kind) {
                case TriggerKind::kWords:
                    met = SameWords(query.sortedWords, elements, scratchIds_);
                    break;
                case TriggerKind::kPattern:
                    met = conceptual ? MatchesConceptPattern(elements, *query.classes,
                                                             *queries_.front().classes,
                                                             query.scopeBegin, query.scopeEnd)
                                     : MatchesPattern(elements, query.words);
                    break;
                default:
                    met = MatchesAnyOrder(elements, *query.classes, query.sentenceEnds);
                    break;
            }
            if (met) {
                hit = {entry, trigger.line, true, {elements.begin(), elements.end()}, order};
            }
        }
    }
}

void ReplySearch::FindByWords() {
    // One pass over every kept trigger serves the whole phrase and all its clauses.
    if (!contextEntry_.empty()) {
        MatchWords(contextEntry_, contextWords_, Owner::kOwn, 0);
    }
    for (std::size_t place = 0; place < walked_; ++place) {
        const DialogueWords& words = cache_.WordsAt(place);
        if (words.urgent || !exactFound_) {
            MatchWords(cache_.EntryAt(place), words, words.urgent ? Owner::kUrgent : Owner::kOther,
                       place + 1);
        }
    }
}

ReplySearch::Choice ReplySearch::Ladder(Owner owner, bool ownFirst, bool parts) {
    static constexpr std::array kOrder = {Tier::kExact, Tier::kFolded, Tier::kOneTypo,
                                          Tier::kSameWords, Tier::kPattern};
    const auto firstHit = [&](Query& query) -> Choice {
        for (const Tier tier : kOrder) {
            for (Hits* hits : {ownFirst ? &query.own : nullptr, &query.Of(owner)}) {
                if (hits == nullptr) {
                    continue;
                }
                // A pattern in order and one in any order are one rung: the first in the walk.
                Candidate* hit = &(*hits)[Index(tier)];
                Tier rung = tier;
                Candidate& anyOrder = (*hits)[Index(Tier::kAnyOrder)];
                if (tier == Tier::kPattern && anyOrder.found &&
                    (!hit->found || anyOrder.order < hit->order)) {
                    hit = &anyOrder;
                    rung = Tier::kAnyOrder;
                }
                if (hit->found) {
                    return {hit, &query, rung};
                }
            }
        }
        return {};
    };
    if (Choice hit = firstHit(queries_.front()); hit.candidate != nullptr) {
        return hit;
    }
    // The clause answered with the most words answers; the later one on a tie.
    Choice best;
    for (std::size_t i = 1; parts && i < queries_.size(); ++i) {
        const Choice hit = firstHit(queries_[i]);
        if (hit.candidate != nullptr &&
            (best.query == nullptr || hit.query->meaningfulWords >= best.query->meaningfulWords)) {
            best = hit;
        }
    }
    return best;
}

std::vector<std::string> ReplySearch::DangerSigns() {
    std::vector<std::string> signs;
    Query& whole = queries_.front();
    for (std::uint32_t index = 0; index < analysis_.ClassCount(); ++index) {
        if (!analysis_.IsDangerClass(index)) {
            continue;
        }
        for (const ClassOccurrences::Run& run : whole.classes->Of(index)) {
            std::string sign = "@" + Utf8FromCp1251(analysis_.ClassName(index)) + ":";
            for (std::uint32_t i = run.start; i < run.start + run.length; ++i) {
                sign += ' ' + analysis_.Text(whole.words[i]);
            }
            signs.push_back(std::move(sign));
        }
    }
    return signs;
}

ReplySearch::Choice ReplySearch::Choose(int heldBefore) {
    const bool urgentContext = !contextEntry_.empty() && contextWords_.urgent;
    const auto urgent = [](Choice choice) {
        choice.urgent = true;
        return choice;
    };
    const auto fallback = [](const Candidate& candidate, Tier tier, bool isUrgent) {
        return Choice{&candidate, nullptr, tier, isUrgent};
    };
    // An urgent dialogue's own turns, then whatever urgent trigger the phrase meets.
    if (urgentContext) {
        if (Choice own = Ladder(Owner::kOwn, false, true); own.candidate != nullptr) {
            return urgent(own);
        }
    }
    if (Choice met = Ladder(Owner::kUrgent, false, true); met.candidate != nullptr) {
        return urgent(met);
    }
    match_.dangerSigns = DangerSigns();
    if (urgentContext) {
        // Held, nothing else answers; after that a phrase said word for word elsewhere leaves.
        if (heldBefore >= kHeldPhrases) {
            Choice whole = Ladder(Owner::kOther, false, false);
            if (whole.candidate != nullptr &&
                (whole.tier == Tier::kExact || whole.tier == Tier::kFolded)) {
                return whole;
            }
        }
        if (catchAll_.found) {
            return fallback(catchAll_, Tier::kCatchAll, true);
        }
        if (generalHelp_.found) {
            return fallback(generalHelp_, Tier::kGeneralHelp, true);
        }
    }
    Choice whole = Ladder(Owner::kOther, true, false);
    if (!match_.dangerSigns.empty() && whole.candidate == nullptr && generalHelp_.found) {
        match_.safetyNet = true;
        return fallback(generalHelp_, Tier::kGeneralHelp, true);
    }
    if (whole.candidate != nullptr) {
        return whole;
    }
    // With a danger sign and no general help in the base, a part still beats no answer.
    if (Choice part = Ladder(Owner::kOther, true, true); part.candidate != nullptr) {
        return part;
    }
    if (std::optional<Choice> closest = ClosestMeaning(queries_.front())) {
        return *closest;
    }
    if (catchAll_.found) {
        return fallback(catchAll_, Tier::kCatchAll, false);
    }
    return {};
}

std::optional<ReplySearch::Choice> ReplySearch::ClosestMeaning(Query& query) {
    if (query.words.empty()) {
        return std::nullopt;
    }
    const SharedMeaning meaning(query.words, analysis_, cache_);
    double best = 0;
    const auto walk = [&](const std::string& entry, const DialogueWords& words) {
        for (const DialogueWords::Trigger& trigger : words.triggers) {
            if (trigger.kind != TriggerKind::kWords) {
                continue;
            }
            const double score = meaning.Score(words.Of(trigger));
            if (score > best) {
                best = score;
                closest_ = {entry, trigger.line, true, {}};
            }
        }
    };
    if (!contextEntry_.empty()) {
        walk(contextEntry_, contextWords_);
    }
    // Help is given when it is asked for; a phrase only near to it is no call for help.
    for (std::size_t place = 0; place < walked_; ++place) {
        if (!cache_.WordsAt(place).urgent) {
            walk(cache_.EntryAt(place), cache_.WordsAt(place));
        }
    }
    if (best < kEnoughSharedMeaning) {
        return std::nullopt;
    }
    match_.shared = best;
    return Choice{&closest_, &query, Tier::kClosestMeaning, false};
}

void ReplySearch::Record(const Choice& choice) {
    Query& query = choice.query != nullptr ? *choice.query : queries_.front();
    match_.tier = choice.tier;
    match_.entry = choice.candidate->entry;
    match_.line = choice.candidate->line;
    match_.part = query.text;
    match_.wholePhrase = &query == &queries_.front();
    match_.urgent = choice.urgent;
    match_.words.clear();
    for (const WordId word : query.words) {
        match_.words.push_back(analysis_.Text(word));
    }
    match_.concepts.clear();
    for (const WordId element : choice.candidate->elements) {
        if (!IsClassElement(element)) {
            continue;
        }
        const std::uint32_t index = ClassOf(element);
        std::string said = (IsExcludedElement(element) ? "-@" : "@") +
                           Utf8FromCp1251(analysis_.ClassName(index)) + ":";
        const char* between = "";
        for (const ClassOccurrences::Run& run : query.classes->Of(index)) {
            said += between;
            for (std::uint32_t i = run.start; i < run.start + run.length; ++i) {
                said += ' ' + analysis_.Text(query.words[i]);
            }
            between = ",";
        }
        match_.concepts.push_back(std::move(said));
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
