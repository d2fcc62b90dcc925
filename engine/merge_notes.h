#pragma once

#include <string>
#include <vector>

#include "engine/base_merge.h"
#include "engine/session.h"

namespace tumbo {

// What a merge into the base `user` tells, kept as values worded for the user: every
// front end that merges says the same.
class MergeNotes : public MergeReport {
public:
    explicit MergeNotes(std::string user) : user_(std::move(user)) {}

    void Added(const std::string& file, const std::string& opener) override;
    void AddedWords(const std::string& line) override;
    void AddedConcepts(const std::string& line) override;
    void Failed(Problem problem, const std::string& entry, const TumboError* error) override;

    // "added dlg/7.dlg: opener" and "added to words.tmb: line", UTF-8, in order.
    std::vector<std::string> added;
    std::vector<Failure> failures;

private:
    void Fail(std::string what, const TumboError* error);

    std::string user_;
};

// "added N dialogue(s) to USER; M open with a phrase it already has", and what else was done.
std::string MergeSummary(const MergeCounts& counts, const std::string& user);

}  // namespace tumbo
