#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/concepts.h"
#include "engine/utf8_text.h"
#include "support/engine_fixture.h"

namespace tumbo {
namespace {

using test::operator""_cp;

// Urgent dialogues and concepts on a base small enough to see through. The urgent ones are
// put last on purpose: their urgency, not their place, makes them answer first.
class UrgentHelp : public test::EngineTest {
protected:
    void SetUp() override {
        WriteOptions("me", 0);
        WriteDialogue(1, {u8"$привет"_cp, "#hello", "#END"});
        WriteDialogue(2, {u8"$мне 12"_cp, "#good age", "#END"});
        WriteDialogue(3, {u8"$что делать"_cp, "#general advice", "#END"});
        WriteDialogue(4, {u8"$пока"_cp, "#bye[e]", "#END"});
        WriteDialogue(5, {u8"$* таблетки *"_cp, "#pharmacy", "#END"});
        WriteDialogue(6, {u8"$дома"_cp, "#home is nice", "#END"});
        WriteDialogue(7, {u8"$[срочно]"_cp, u8"$& @близкий @выпил @лекарство -@витамин"_cp,
                          u8"$* @выпил * @лекарство * -@витамин"_cp, "#pills 112", u8"$& @шутка"_cp,
                          "#joke 112", u8"$дома"_cp, "#where 112", "$*", "#stay 112", "#END"});
        WriteDialogue(8, {u8"$[срочно]"_cp, u8"$* тренер * трогает *"_cp, u8"$помогите -@шутка"_cp,
                          "#coach 112", "#END"});
        WriteDialogue(9, {u8"$[помощь]"_cp, "#what happened 112", "$*", "#still here 112", "#END"});
        WritePathList(9);
        dir.Write(
            "concepts.tmb",
            test::CrLfLines({u8"@близкий=друг, подруга, @семья"_cp,
                             u8"@семья=мама, брат, младший брат"_cp,
                             u8"@выпил=выпил, выпила, наглотался"_cp,
                             u8"@лекарство=таблетки, таблеток, пачку снотворного"_cp,
                             u8"@витамин=витамины, витаминки"_cp, u8"@шутка=шучу, пошутил, ахах"_cp,
                             u8"!@суицид=суицид, покончить с собой"_cp}));
    }

    Answer Say(Engine& engine, const std::string& phrase) {
        Answer answer = engine.Reply(phrase);
        if (answer.failure) {
            std::rethrow_exception(answer.failure);
        }
        return answer;
    }

    std::string Last(const std::vector<std::string>& phrases) {
        return test::LastReply(clock, dir.prefix(), phrases);
    }
};

TEST_F(UrgentHelp, ConceptsAndUrgencyAnswerWhateverTheWords) {
    const std::vector<test::ChatRow> rows = {
        {"a class stands for each of its entries, in any order",
         {u8"таблеток наглотался мой друг"_cp},
         "pills 112"},
        {"a class inside a class, and an entry of two words",
         {u8"младший брат выпил пачку снотворного"_cp},
         "pills 112"},
        {"an any-order trigger is met within one sentence, not across two",
         {u8"таблетки на столе. друг пришёл. я выпил чай"_cp},
         "pharmacy"},
        {"an excluded word keeps the line out of both forms",
         {u8"мама выпила витамины и таблетки"_cp},
         "pharmacy"},
        {"an exclusion reaches across a comma within its sentence",
         {u8"брат выпил таблетки, но это витамины"_cp},
         "pharmacy"},
        {"but not into another sentence",
         {u8"брат выпил таблетки. витамины потом"_cp},
         "pills 112"},
        {"an urgent trigger met by a clause outranks an exact whole line elsewhere... ",
         {u8"тренер меня трогает в раздевалке, мне 12"_cp},
         "coach 112"},
        {"...and a clause answered exactly elsewhere",
         {u8"брат наглотался таблеток, что делать"_cp},
         "pills 112"},
        {"the exact tier reads a pattern as text nobody types",
         {u8"& @близкий @выпил @лекарство -@витамин"_cp},
         "pills 112"},
        {"a mark is no phrase to answer in the tolerant tiers", {u8"срочно"_cp}, ""},
        {"an exclusion alone makes a pattern of a phrase", {u8"Помогите!"_cp}, "coach 112"},
        {"...which its excluded class keeps out", {u8"помогите ахах"_cp}, ""},
        {"a danger sign that nothing urgent meets brings the general help",
         {u8"думаю про суицид"_cp},
         "what happened 112"},
        {"a danger sign in a line answered whole keeps its answer", {u8"привет"_cp}, "hello"},
        {"a danger sign: no part answers for the line",
         {u8"привет, хочу покончить с собой"_cp},
         "what happened 112"},
        {"the urgent dialogue's own turns come first",
         {u8"друг выпил таблетки"_cp, u8"дома"_cp},
         "where 112"},
        {"its turns through every tier",
         {u8"друг выпил таблетки"_cp, u8"ахах пошутил!!"_cp},
         "joke 112"},
        {"its catch-all answers what its turns do not",
         {u8"друг выпил таблетки"_cp, u8"мне 12"_cp},
         "stay 112"},
        {"another urgent trigger still outranks the catch-all",
         {u8"друг выпил таблетки"_cp, u8"тренер трогает"_cp},
         "coach 112"},
        {"the general help holds the chat too", {u8"суицид"_cp, u8"мне 12"_cp}, "still here 112"},
        {"out of an urgent dialogue the ordinary answer",
         {u8"привет"_cp, u8"дома"_cp},
         "home is nice"},
    };
    for (const test::ChatRow& row : rows) {
        EXPECT_EQ(Last(row.phrases), row.reply) << row.why;
    }
}

// For five phrases nothing but help answers and nothing closes the program; after that a
// phrase said word for word elsewhere may leave, and a farewell closes again.
TEST_F(UrgentHelp, HelpHoldsTheConversation) {
    Engine engine{clock};
    test::StartOnBase(engine, dir.prefix());
    ASSERT_EQ(Say(engine, u8"друг выпил таблетки"_cp).lines.back(), "Tumbo:pills 112");
    for (int phrase = 1; phrase <= ReplySearch::kHeldPhrases; ++phrase) {
        const Answer answer = Say(engine, u8"пока"_cp);
        EXPECT_EQ(answer.lines.back(), "Tumbo:stay 112") << phrase;
        EXPECT_FALSE(answer.closeAfterPause);
        EXPECT_EQ(engine.LastMatch().held, phrase - 1);
    }
    Answer leaving = Say(engine, u8"пока"_cp);
    EXPECT_EQ(leaving.lines.back(), "Tumbo:bye") << "the marker is never shown";
    EXPECT_FALSE(leaving.closeAfterPause) << "said while help was current";
    EXPECT_FALSE(engine.LastMatch().urgent);
    Answer bye = Say(engine, u8"пока"_cp);
    EXPECT_TRUE(bye.closeAfterPause);
    EXPECT_EQ(engine.LastMatch().held, -1);
}

TEST_F(UrgentHelp, TheExplanationNamesClassesUrgencyAndTheSafetyNet) {
    Engine engine{clock};
    test::StartOnBase(engine, dir.prefix());
    Say(engine, u8"таблеток наглотался младший брат"_cp);
    const ReplySearch::Match& pills = engine.LastMatch();
    EXPECT_TRUE(pills.urgent);
    EXPECT_EQ(pills.tier, ReplySearch::Tier::kAnyOrder);
    ASSERT_EQ(pills.concepts.size(), 4U);
    EXPECT_EQ(pills.concepts[0], "@близкий: младш брат, брат");
    EXPECT_EQ(pills.concepts[3], "-@витамин:");
    Say(engine, u8"хочу покончить с собой"_cp);
    const ReplySearch::Match& net = engine.LastMatch();
    EXPECT_FALSE(net.safetyNet) << "the pills dialogue holds the chat: its catch-all answers";
    Engine fresh{clock};
    test::StartOnBase(fresh, dir.prefix());
    Say(fresh, u8"хочу покончить с собой"_cp);
    EXPECT_TRUE(fresh.LastMatch().safetyNet);
    EXPECT_EQ(fresh.LastMatch().tier, ReplySearch::Tier::kGeneralHelp);
    ASSERT_EQ(fresh.LastMatch().dangerSigns.size(), 1U);
    EXPECT_EQ(fresh.LastMatch().dangerSigns[0], "@суицид: поконч с соб");
}

// Without an urgent dialogue or a concepts file the base answers as it always did.
TEST_F(UrgentHelp, ABaseWithoutMarksOrConceptsAnswersAsBefore) {
    std::filesystem::remove(dir.file("concepts.tmb"));
    WritePathList(6);
    EXPECT_EQ(Last({u8"мне 12"_cp}), "good age");
    EXPECT_EQ(Last({u8"друг выпил таблетки, что делать"_cp}), "pharmacy");
    EXPECT_EQ(Last({u8"суицид"_cp}), "");
}

struct ConceptRow {
    const char* why;
    std::vector<std::string> lines;
    // Each class as "name=entry|entry", in file order.
    std::vector<std::string> classes;
    std::vector<std::size_t> faultLines;
};

TEST(ConceptSet, ClassesAreSpelledOutAndFaultsNamed) {
    const std::vector<ConceptRow> rows = {
        {"entries folded, blanks and comments passed over",
         {"# people", "", std::string(u8"@a=Ёлка ,  Two  Words,x"_cp)},
         {"a=two words|x|елка"},
         {}},
        {"a class within a class, a danger mark",
         {"!@a=x, @b", "@b=y, @c", "@c=z"},
         {"a=x|y|z", "b=y|z", "c=z"},
         {}},
        {"an unknown name meets nothing", {"@a=x, @nobody"}, {"a=x"}, {1}},
        {"a cycle stops where it would come round",
         {"@a=x, @b", "@b=y, @a"},
         {"a=x|y", "b=x|y"},
         {1, 2}},
        {"malformed lines are left out; a later line adds entries",
         {"a=x", "@=x", "@a=x,,y", "@a b=x", "@a=x", "@a=y, x"},
         {"a=x|y"},
         {1, 2, 3, 4}},
    };
    for (const ConceptRow& row : rows) {
        const ConceptSet set = ConceptSet::FromLines(row.lines);
        std::vector<std::string> classes;
        for (const ConceptSet::Class& given : set.Classes()) {
            std::string said = given.name + "=";
            for (const std::string& entry : given.entries) {
                said += (said.back() == '=' ? "" : "|") + entry;
            }
            classes.push_back(Utf8FromCp1251(said));
        }
        std::vector<std::size_t> faultLines;
        for (const ConceptSet::Fault& fault : set.Faults()) {
            faultLines.push_back(fault.line);
        }
        EXPECT_EQ(classes, row.classes) << row.why;
        EXPECT_EQ(faultLines, row.faultLines) << row.why;
    }
    EXPECT_TRUE(ConceptSet::FromLines({"!@a=x"}).Classes()[0].danger);
}

}  // namespace
}  // namespace tumbo
