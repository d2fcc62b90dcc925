#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "engine/engine.h"
#include "support/crash_scenario.h"
#include "support/durable_memory_file_calls.h"
#include "support/power_cuts.h"
#include "tools/merge.h"

namespace tumbo {
namespace {

using test::CrLfLines;

const std::string kKnown = CrLfLines({"$known", "#yes", "#END"});
const std::string kHello = CrLfLines({"$hello", "#hi there", "$how are you", "#fine", "#END"});
const std::string kBye = CrLfLines({"$bye", "#see you", "#END"});
const std::string kWords = CrLfLines({"hey=hello", "well="});

std::string UserOptions(int count) {
    return CrLfLines({"me", "false", "70", std::to_string(count)});
}

std::string UserPathList(int merged) {
    std::string lines = CrLfLines({"dlg\\1.dlg"});
    for (int number = 2; number <= merged + 1; ++number) {
        lines += CrLfLines({"dlg\\" + std::to_string(number) + ".dlg"});
    }
    return lines;
}

// Both bases lie in memory, the lock with them; the bundled one adds two dialogues to the
// user's, and its words.tmb, which the user's base has none of.
class PowerCutMerge : public testing::Test {
protected:
    test::DurableMemoryFileCalls& WriteBases() {
        disk.emplace();
        disk->Put(user.file("opt.tmb"), UserOptions(1));
        disk->Put(user.file("path.tmb"), UserPathList(0));
        disk->Put(user.file("dlg/1.dlg"), kKnown);
        disk->Put(bundled.file("path.tmb"), CrLfLines({"dlg\\1.dlg", "dlg\\2.dlg", "dlg\\3.dlg"}));
        disk->Put(bundled.file("dlg/1.dlg"), kKnown);
        disk->Put(bundled.file("dlg/2.dlg"), kHello);
        disk->Put(bundled.file("dlg/3.dlg"), kBye);
        disk->Put(bundled.file("words.tmb"), kWords);
        return *disk;
    }

    int Merge() {
        const char* argv[] = {"tumbo-merge", bundled.path.c_str(), user.path.c_str()};
        std::ostringstream out;
        std::ostringstream err;
        return tools::RunMerge(3, argv, out, err, *disk);
    }
    std::string Read(const std::string& name) {
        return disk->Read(user.file(name)).value_or("<missing>");
    }

    struct Folder {
        std::string path;
        std::string file(const std::string& name) const { return path + "/" + name; }
        std::string prefix() const { return path + "/"; }
    };
    const Folder user{"/home/me/base"};
    const Folder bundled{"/usr/share/tumbo3/base"};
    std::optional<test::DurableMemoryFileCalls> disk;
    bool finished = false;
};

TEST_F(PowerCutMerge, AMergeCutAnywhereKeepsWholeDialoguesAndFinishesNextTime) {
    const auto merge = [&](int stopAt) {
        disk->CutPowerAt(stopAt);
        finished = Merge() == tools::merge_status::kDone && !disk->PowerWentOff();
    };
    const auto check = [&](test::Stop) {
        const std::string pathList = Read("path.tmb");
        int merged = 0;
        while (merged < 2 && pathList != UserPathList(merged)) {
            ++merged;
        }
        ASSERT_EQ(pathList, UserPathList(merged)) << "the path list gains whole lines in order";
        // The count is raised after each line, so a stop between the two leaves it one short.
        const std::string options = Read("opt.tmb");
        EXPECT_TRUE(options == UserOptions(merged + 1) ||
                    (merged > 0 && options == UserOptions(merged)))
            << options;
        if (finished) {
            EXPECT_EQ(merged, 2) << "a merge that said done is on the disk";
            EXPECT_EQ(options, UserOptions(3));
        }
        EXPECT_EQ(Read("dlg/1.dlg"), kKnown);
        for (const auto& [number, bytes] : {std::pair{2, kHello}, std::pair{3, kBye}}) {
            const std::string name = "dlg/" + std::to_string(number) + ".dlg";
            if (merged + 1 >= number || disk->Exists(user.file(name))) {
                EXPECT_EQ(Read(name), bytes) << "a dialogue file is only ever whole";
            }
        }
        const std::string words = Read("words.tmb");
        EXPECT_TRUE(words == "<missing>" || words == kWords) << "words.tmb is only ever whole";
        if (finished) {
            EXPECT_EQ(words, kWords);
        }
        // The next merge adds what is missing, and the program answers from all of it.
        EXPECT_EQ(Merge(), tools::merge_status::kDone);
        EXPECT_EQ(Read("words.tmb"), kWords);
        test::crash_scenario::ExpectAnswersAndLearns(*disk, user.prefix(),
                                                     {{"known", "Tumbo:yes"},
                                                      {"hello", "Tumbo:hi there"},
                                                      {"how are you", "Tumbo:fine"},
                                                      {"bye", "Tumbo:see you"}});
    };
    const int points = test::StopAtEveryCall(
        [&]() -> auto& { return WriteBases(); }, merge, check);
    EXPECT_GT(points, 30);
}

}  // namespace
}  // namespace tumbo
