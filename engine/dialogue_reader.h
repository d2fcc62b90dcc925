#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_calls.h"
#include "platform/line_reader.h"

namespace tumbo {

// How the program sees the lines of a dialogue file: turns of trigger lines ($), each
// followed by its reply lines (#), the last line "#END". The opener block, all that a
// phrase out of context is compared with, is every trigger line before the first reply.
class DialogueLines {
public:
    enum class Kind { kTrigger, kReply, kOther };
    struct Place {
        Kind kind = Kind::kOther;
        // Counts from 1: a turn starts at a trigger line that follows anything else.
        int turn = 0;
        // Still before the first reply line.
        bool inOpeners = true;
    };

    // Places the next line of the file.
    Place Next(std::string_view line);

private:
    Place place_;
};

// The one rule of a dialogue's turns: it opens with a trigger and every trigger is answered
// by a reply after it (a trigger after the last reply would be answered with the end line).
enum class TurnFault { kNone, kNoReply, kReplyBeforeTrigger, kLastTriggerUnanswered };
struct TurnCheck {
    TurnFault fault = TurnFault::kNone;
    // The line at fault: the first reply, or the first trigger of the last turn.
    std::size_t at = 0;
};
// Checks tagged lines without "#END"; lines of neither tag are passed over.
TurnCheck CheckTurns(const std::vector<std::string>& lines);

// Reads dialogue files the way the reply search does, one at a time.
class DialogueReader {
public:
    explicit DialogueReader(FileCalls& calls = SystemFileCalls()) : file_(calls) {}

    // Opens a dialogue file at its first line. Throws InOutError.
    void Open(std::string_view path);
    void Close();

    // Reads on to the next trigger line and returns true; false at the end of the file or,
    // with `openersOnly`, once a reply line has been read.
    bool NextTrigger(bool openersOnly);
    // The trigger just read, without its tag, and its line number from 1.
    std::string_view Phrase() const { return std::string_view(line_).substr(1); }
    std::size_t LineNumber() const { return number_; }

    // With a trigger just read: the lines a reply is chosen from, tags kept. The rest of
    // the trigger block is skipped; the first line after it and every line up to the end of
    // the reply block are taken, so the line that ends the block is the last one taken.
    // At the end of the file the last line read stands alone.
    std::vector<std::string> TakeReplyLines();

private:
    bool LineIs(char tag) const { return !line_.empty() && line_.front() == tag; }
    void ReadLine();

    LineReader file_;
    std::string line_;
    std::size_t number_ = 0;
};

// The phrases of a dialogue's opener block, in file order. Throws InOutError.
std::vector<std::string> ReadOpeners(DialogueReader& reader, std::string_view path);

}  // namespace tumbo
