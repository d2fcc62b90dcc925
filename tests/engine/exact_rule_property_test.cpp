// Tolerant matching must never change what the exact rule answers: over generated bases
// and conversations, every phrase that an exact-only search answers gets the same reply
// and leaves the same state as that search gives.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/phrase.h"
#include "engine/random_choice.h"
#include "support/engine_fixture.h"

namespace tumbo {
namespace {

using Dialogue = std::vector<std::string>;

// Few words, spelt a few ways, so that every tolerant tier comes up: folded and one-typo
// hits, the same words in another order, patterns, clauses and substitutions.
const std::vector<std::string> kPhrases = {
    "hello",     "hello!",  "Hello",   "helo",        "hello  there", "hello there",
    "bye-bye",   "bye bye", "bye",     "yes",         "yes!",         "no",
    "?",         "!!!",     "ok ",     "ok",          "shall we",     "shal we",
    "7",         "8",       "* there", "there hello", "hello, bye",   "ok, no. yes",
    "hi * we *", "well hi",
};

struct Hit {
    std::size_t dialogue = 0;
    std::size_t line = 0;
};

// The search of the first release, written plainly: in context the current dialogue from
// its top, then every opener block in order; a trigger matches when it is the phrase.
class ExactOnlySearch {
public:
    explicit ExactOnlySearch(const std::vector<Dialogue>& base) : base_(base) {}

    std::optional<Hit> Find(const std::string& phrase, std::optional<std::size_t> current) const {
        if (current) {
            const Dialogue& lines = base_[*current];
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (lines[i] == "$" + phrase) {
                    return Hit{*current, i};
                }
            }
        }
        for (std::size_t d = 0; d < base_.size(); ++d) {
            for (const std::string& line : base_[d]) {
                if (line.starts_with('#')) {
                    break;
                }
                if (line == "$" + phrase) {
                    return Hit{d, static_cast<std::size_t>(&line - base_[d].data())};
                }
            }
        }
        return std::nullopt;
    }

    // The reply the program shows for a hit, with the generator seeded by `seed`.
    std::string ReplyFor(const Hit& hit, std::uint32_t seed) const {
        const Dialogue& lines = base_[hit.dialogue];
        std::size_t at = hit.line;
        while (at + 1 < lines.size() && lines[at].starts_with('$')) {
            ++at;
        }
        std::vector<std::string> candidates{lines[at]};
        while (at + 1 < lines.size() && lines[at].starts_with('#')) {
            candidates.push_back(lines[++at]);
        }
        std::uint32_t chosen = 0;
        if (candidates.size() > 1) {
            RandomChoice random;
            random.Seed(seed);
            chosen = random.Next(static_cast<std::uint32_t>(candidates.size() - 1));
        }
        return "Tumbo:" + candidates[chosen].substr(1);
    }

private:
    const std::vector<Dialogue>& base_;
};

class ExactRule : public test::EngineTest {
protected:
    std::vector<Dialogue> MakeBase(std::mt19937& random) {
        std::vector<Dialogue> base(1 + random() % 6);
        for (std::size_t d = 0; d < base.size(); ++d) {
            const std::size_t turns = 1 + random() % 3;
            for (std::size_t t = 0; t < turns; ++t) {
                for (std::size_t n = 1 + random() % 3; n > 0; --n) {
                    base[d].push_back("$" + kPhrases[random() % kPhrases.size()]);
                }
                for (std::size_t n = 1 + random() % 3; n > 0; --n) {
                    base[d].push_back("#r" + std::to_string(d) + "." + std::to_string(t) + "." +
                                      std::to_string(n));
                }
            }
            base[d].emplace_back("#END");
        }
        std::string pathList;
        for (std::size_t d = 0; d < base.size(); ++d) {
            std::string bytes;
            for (const std::string& line : base[d]) {
                bytes += line + "\r\n";
            }
            dir.Write(test::DialogueFile(static_cast<int>(d + 1)), bytes);
            pathList += test::PathListLine(static_cast<int>(d + 1));
        }
        dir.Write("path.tmb", pathList);
        dir.Write("words.tmb", "hi=hello\r\nwell=\r\nok=\r\nshal=shall\r\n");
        return base;
    }
};

TEST_F(ExactRule, TolerantMatchingNeverChangesAnExactAnswer) {
    WriteOptions("me", 0);
    window.LoadOptions();
    std::mt19937 random(20261208);
    int exactHits = 0;
    for (int round = 0; round < 300; ++round) {
        const std::vector<Dialogue> base = MakeBase(random);
        const ExactOnlySearch reference(base);
        Engine fresh(clock);
        test::StartOnBase(fresh, dir.prefix());
        for (int turn = 0; turn < 8; ++turn) {
            const std::string phrase = kPhrases[random() % kPhrases.size()];
            std::optional<std::size_t> current;
            if (fresh.AnswerFound()) {
                current = std::stoul(fresh.CurrentDialogue().substr(4)) - 1;
            }
            const std::optional<Hit> hit = reference.Find(NormalizePhrase(phrase), current);
            clock.counter = random();
            const Answer answer = fresh.Reply(phrase);
            if (!hit) {
                continue;
            }
            ++exactHits;
            SCOPED_TRACE("round " + std::to_string(round) + ", phrase " + phrase);
            ASSERT_FALSE(answer.failure);
            EXPECT_EQ(answer.lines.back(),
                      reference.ReplyFor(*hit, static_cast<std::uint32_t>(clock.counter)));
            EXPECT_TRUE(fresh.AnswerFound());
            EXPECT_EQ(fresh.CurrentDialogue(),
                      "dlg\\" + std::to_string(hit->dialogue + 1) + ".dlg");
            EXPECT_EQ(fresh.MatchedBy(), ReplySearch::Tier::kExact);
        }
    }
    EXPECT_GT(exactHits, 500) << "the generated chats answer exactly often enough to tell";
}

}  // namespace
}  // namespace tumbo
