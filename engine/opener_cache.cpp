#include "engine/opener_cache.h"

#include <algorithm>

namespace tumbo {

namespace {

// A hash node's own cost beside the key and value it holds.
constexpr std::size_t kNodeBytes = 32;

}  // namespace

void DialogueWords::Add(PhraseWords& analysis, std::uint32_t line, std::string_view trigger,
                        std::vector<WordId>& scratch) {
    bool pattern = analysis.AnalyzeTrigger(trigger, scratch);
    // A pattern needs a word to hold on to; stars alone are no pattern.
    pattern = pattern && std::any_of(scratch.begin(), scratch.end(),
                                     [](WordId word) { return word != kAnyWords; });
    if (!pattern) {
        std::erase(scratch, kAnyWords);
    }
    triggers.push_back({line, static_cast<std::uint32_t>(words.size()),
                        static_cast<std::uint32_t>(scratch.size()), pattern});
    words.insert(words.end(), scratch.begin(), scratch.end());
}

OpenerCache::Found OpenerCache::Find(const std::string& entry, const LineReader::Identity& file) {
    const auto found = dialogues_.find(entry);
    if (found == dialogues_.end() || !(found->second.file == file)) {
        return {};
    }
    found->second.walk = walk_;
    return {&found->first, &found->second.words};
}

OpenerCache::Found OpenerCache::Store(const std::string& entry, const LineReader::Identity& file,
                                      DialogueWords words) {
    auto [found, added] = dialogues_.try_emplace(entry);
    if (!added) {
        Count(found->second.words, -1);
    }
    words.triggers.shrink_to_fit();
    words.words.shrink_to_fit();
    found->second = Kept{file, std::move(words), walk_};
    Count(found->second.words, +1);
    return {&found->first, &found->second.words};
}

void OpenerCache::Count(const DialogueWords& words, int sign) {
    for (const DialogueWords::Trigger& trigger : words.triggers) {
        if (trigger.pattern) {
            continue;
        }
        // A word counts once for each opener it stands in.
        const std::span<const WordId> ids = words.Of(trigger);
        seen_.assign(ids.begin(), ids.end());
        std::sort(seen_.begin(), seen_.end());
        seen_.erase(std::unique(seen_.begin(), seen_.end()), seen_.end());
        for (const WordId word : seen_) {
            if (word >= openersWith_.size()) {
                openersWith_.resize(word + 1, 0);
            }
            openersWith_[word] =
                static_cast<std::uint32_t>(static_cast<std::int64_t>(openersWith_[word]) + sign);
        }
        openers_ = static_cast<std::uint32_t>(static_cast<std::int64_t>(openers_) + sign);
    }
}

void OpenerCache::BeginWalk() {
    ++walk_;
}

void OpenerCache::EndWalk(bool wholeBase) {
    if (!wholeBase) {
        return;
    }
    for (auto kept = dialogues_.begin(); kept != dialogues_.end();) {
        if (kept->second.walk != walk_) {
            Count(kept->second.words, -1);
            kept = dialogues_.erase(kept);
        } else {
            ++kept;
        }
    }
}

void OpenerCache::Clear() {
    dialogues_.clear();
    openersWith_.clear();
    openers_ = 0;
}

std::size_t OpenerCache::MemoryBytes() const {
    std::size_t bytes =
        openersWith_.capacity() * sizeof(std::uint32_t) + dialogues_.bucket_count() * sizeof(void*);
    for (const auto& [entry, kept] : dialogues_) {
        bytes += kNodeBytes + sizeof(entry) + sizeof(kept) +
                 (entry.capacity() > 15 ? entry.capacity() : 0) +
                 kept.words.triggers.capacity() * sizeof(DialogueWords::Trigger) +
                 kept.words.words.capacity() * sizeof(WordId);
    }
    return bytes;
}

}  // namespace tumbo
