#include "engine/merge_notes.h"

#include "engine/utf8_text.h"

namespace tumbo {

namespace {}  // namespace

void MergeNotes::Added(const std::string& file, const std::string& opener) {
    added.push_back("added " + file + ": " + Utf8FromCp1251(opener));
}

void MergeNotes::AddedWords(const std::string& line) {
    added.push_back("added to words.tmb: " + Utf8FromCp1251(line));
}

void MergeNotes::AddedConcepts(const std::string& line) {
    added.push_back("added to concepts.tmb: " + Utf8FromCp1251(line));
}

void MergeNotes::Failed(Problem problem, const std::string& entry, const TumboError* error) {
    switch (problem) {
        case Problem::kUnusable:
            return Fail({}, error);
        case Problem::kNoOpener:
            return Fail("bundled " + Utf8FromCp1251(entry) + " has no opener; it is left out",
                        error);
        case Problem::kBundledUnreadable:
            return Fail("cannot read bundled " + Utf8FromCp1251(entry) + ", which is left out",
                        error);
        case Problem::kUserDialogueUnreadable:
            return Fail("cannot read the openers of " + Utf8FromCp1251(entry) + " in " + user_,
                        error);
        case Problem::kNotAdded:
            return Fail("could not add bundled " + Utf8FromCp1251(entry), error);
        case Problem::kCountNotRaised:
            return Fail(
                "bundled " + Utf8FromCp1251(entry) + " is added, but the count could not be raised",
                error);
        case Problem::kCountLeftAlone:
            return Fail("the dialogue count in " + entry + " is left as it is", error);
        case Problem::kWordsNotAdded:
            return Fail("could not add the bundled word substitutions to " + user_ + entry, error);
        case Problem::kConceptsNotAdded:
            return Fail("could not add the bundled concepts to " + user_ + entry, error);
        case Problem::kForgottenAfterEndMark:
            return Fail(user_ + entry +
                            " goes on after its end mark (byte 26); what follows it is not read, "
                            "so it keeps no dialogue out",
                        error);
    }
}

void MergeNotes::Fail(std::string what, const TumboError* error) {
    Failure failure = error != nullptr ? Failure::Of(*error) : Failure{};
    failure.context = std::move(what);
    failures.push_back(std::move(failure));
}

std::string MergeSummary(const MergeCounts& counts, const std::string& user) {
    std::string summary = "added " + std::to_string(counts.added) + " dialogue(s) to " + user +
                          "; " + std::to_string(counts.present) +
                          " open with a phrase it already has";
    if (counts.forgotten > 0) {
        summary += "; " + std::to_string(counts.forgotten) + " were forgotten there";
    }
    if (counts.words > 0) {
        summary += "; " + std::to_string(counts.words) + " line(s) added to words.tmb";
    }
    if (counts.concepts > 0) {
        summary += "; " + std::to_string(counts.concepts) + " line(s) added to concepts.tmb";
    }
    return summary;
}

}  // namespace tumbo
