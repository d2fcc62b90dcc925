#include "engine/opener_cache.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "engine/base_format.h"

namespace tumbo {

void DialogueWords::Add(PhraseWords& analysis, std::uint32_t line, std::string_view trigger,
                        std::vector<WordId>& scratch) {
    const TriggerKind kind = analysis.AnalyzeTrigger(trigger, scratch);
    // Only the first line marks a dialogue, so a walk knows before it reads on.
    if (kind == TriggerKind::kMark && line == 1) {
        urgent = true;
        help = trigger == base_format::kHelpMark;
    }
    triggers.push_back({line, static_cast<std::uint32_t>(words.size()),
                        static_cast<std::uint32_t>(scratch.size()), kind});
    words.insert(words.end(), scratch.begin(), scratch.end());
}

void OpenersPrint::Add(std::uint32_t line, std::string_view trigger) {
    // A word at a time rather than a byte: every dialogue of every walk is printed.
    constexpr std::uint64_t kPrime = 1099511628211ULL;
    value_ = (value_ ^ std::hash<std::string_view>{}(trigger)) * kPrime;
    value_ = (value_ ^ line) * kPrime;
}

const DialogueWords* OpenerCache::Find(std::size_t place, std::string_view entry,
                                       std::uint64_t openers) const {
    if (place >= kept_.size() || kept_[place].openers != openers || kept_[place].entry != entry) {
        return nullptr;
    }
    return &kept_[place].words;
}

void OpenerCache::Store(std::size_t place, std::string_view entry, std::uint64_t openers,
                        DialogueWords words) {
    if (place >= kept_.size()) {
        kept_.resize(place + 1);
    } else {
        Count(kept_[place].words, -1);
    }
    words.triggers.shrink_to_fit();
    words.words.shrink_to_fit();
    kept_[place] = Kept{std::string(entry), openers, std::move(words)};
    Count(kept_[place].words, +1);
}

void OpenerCache::Count(const DialogueWords& words, int sign) {
    rarity_.clear();
    for (const DialogueWords::Trigger& trigger : words.triggers) {
        if (trigger.kind != TriggerKind::kWords) {
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

double OpenerCache::Rarity(WordId word) const {
    if (word >= rarity_.size()) {
        rarity_.resize(std::max<std::size_t>(word + 1, openersWith_.size()), -1);
    }
    double& rarity = rarity_[word];
    if (rarity < 0) {
        rarity = std::log((static_cast<double>(openers_) + 1) /
                          (static_cast<double>(OpenersWith(word)) + 1));
    }
    return rarity;
}

void OpenerCache::EndWalk(std::size_t dialogues) {
    while (kept_.size() > dialogues) {
        Count(kept_.back().words, -1);
        kept_.pop_back();
    }
}

void OpenerCache::Clear() {
    kept_.clear();
    openersWith_.clear();
    openers_ = 0;
    rarity_.clear();
}

std::size_t OpenerCache::MemoryBytes() const {
    std::size_t bytes = openersWith_.capacity() * sizeof(std::uint32_t) +
                        rarity_.capacity() * sizeof(double) + kept_.capacity() * sizeof(Kept);
    for (const Kept& kept : kept_) {
        bytes += (kept.entry.capacity() > 15 ? kept.entry.capacity() : 0) +
                 kept.words.triggers.capacity() * sizeof(DialogueWords::Trigger) +
                 kept.words.words.capacity() * sizeof(WordId);
    }
    return bytes;
}

}  // namespace tumbo
