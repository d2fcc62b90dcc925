#include "engine/reply_search.h"

#include "engine/base_format.h"
#include "engine/phrase_fold.h"

namespace tumbo {

namespace {

constexpr std::size_t kLettersForTypos = 5;

}  // namespace

ReplySearch::ReplySearch(FileCalls& calls) : pathList_(calls), reader_(calls) {}

void ReplySearch::Bind(const std::string& programDir) {
    programDir_ = programDir;
    pathListPath_ = programDir_ + std::string(base_format::kPathList);
}

bool ReplySearch::Find(const std::string& phrase, Conversation& conversation,
                       const Progress& progress) {
    phrase_ = phrase;
    FoldPhrase(phrase_, foldedPhrase_);
    typosAllowed_ = LetterCount(foldedPhrase_) >= kLettersForTypos;
    folded_.found = false;
    oneTypo_.found = false;
    foundBy_ = Tier::kExact;

    // Whatever the current dialogue holds, a phrase it cannot answer goes on to the base.
    const bool inContext = conversation.AnswerFound;
    conversation.AnswerFound = false;
    if (inContext && SearchDialogue(conversation.CurrentDialogue, false)) {
        conversation.AnswerFound = true;
        return true;
    }
    base_format::PathListEntries list(pathList_, pathListPath_);
    int walked = 0;
    while (list.Next(conversation.CurrentDialogue)) {
        if (progress) {
            progress(++walked);
        }
        if (SearchDialogue(conversation.CurrentDialogue, true)) {
            conversation.AnswerFound = true;
            break;
        }
    }
    if (pathList_.IsOpen()) {
        pathList_.Close();
    }
    if (conversation.AnswerFound) {
        return true;
    }
    const Candidate& tolerant = folded_.found ? folded_ : oneTypo_;
    if (!tolerant.found) {
        return false;
    }
    foundBy_ = folded_.found ? Tier::kFolded : Tier::kOneTypo;
    OpenAt(tolerant);
    conversation.CurrentDialogue = tolerant.entry;
    conversation.AnswerFound = true;
    return true;
}

bool ReplySearch::SearchDialogue(const std::string& entry, bool openersOnly) {
    dialoguePath_.assign(programDir_);
    dialoguePath_.append(entry);
    reader_.Open(dialoguePath_);
    while (reader_.NextTrigger(openersOnly)) {
        if (reader_.Phrase() == phrase_) {
            return true;
        }
        // A folded hit outranks every typo, so once there is one only the exact
        // comparison goes on. Folding never lengthens a text, so a trigger shorter than
        // the folded phrase less one character can be neither.
        if (!folded_.found && !foldedPhrase_.empty() &&
            reader_.Phrase().size() + 1 >= foldedPhrase_.size()) {
            ConsiderTolerantly(entry);
        }
    }
    reader_.Close();
    return false;
}

void ReplySearch::ConsiderTolerantly(const std::string& entry) {
    FoldPhrase(reader_.Phrase(), foldedTrigger_);
    Candidate* candidate = nullptr;
    if (foldedTrigger_ == foldedPhrase_) {
        candidate = &folded_;
    } else if (typosAllowed_ && !oneTypo_.found && OneTypoApart(foldedPhrase_, foldedTrigger_)) {
        candidate = &oneTypo_;
    }
    if (candidate != nullptr) {
        *candidate = {entry, reader_.LineNumber(), true};
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
