#include "tools/chat.h"

#include <QString>

#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "engine/base_format.h"
#include "engine/session.h"
#include "platform/errors.h"
#include "platform/line_reader.h"
#include "platform/qt/codepage.h"
#include "tools/tool_output.h"

namespace tumbo::tools {

namespace {

constexpr std::string_view kUsage =
    "usage: tumbo-chat [--base DIR] [--seed N] [--explain] [--teach]\n";
constexpr std::string_view kHelp =
    "Reads phrases from standard input, one a line, and prints the chat log the window\n"
    "would show. Without --teach nothing in the base is written: where the window would\n"
    "ask to be taught, the no-answer line is printed and the chat goes on.\n"
    "  --base DIR  the dialogue base (default: the current folder)\n"
    "  --seed N    make the choice among replies repeatable\n"
    "  --explain   after each answer, say how the phrase was matched: the tier, the\n"
    "              dialogue and line, the part of the phrase that answered, and its words\n"
    "              as compared (after the base's substitutions and stemming)\n"
    "  --teach     after a phrase nothing answers, read a lesson from the input and learn\n"
    "              it into the base, as the teaching panel does (the base's lock is taken):\n"
    "                TEXT    a reply of Tumbo to the current phrase\n"
    "                >TEXT   a phrase of yours: another wording of the current one, or,\n"
    "                        after replies, the next phrase of the conversation\n"
    "                (blank) learn the lesson      .  leave it\n";

struct ChatArgs {
    bool help = false;
    bool explain = false;
    bool teach = false;
    std::string baseDir;
    std::optional<std::uint64_t> seed;
};

std::optional<std::uint64_t> ParseSeed(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<ChatArgs> ParseArgs(int argc, const char* const* argv) {
    ChatArgs args;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            args.help = true;
        } else if (arg == "--explain") {
            args.explain = true;
        } else if (arg == "--teach") {
            args.teach = true;
        } else if (arg == "--base" && i + 1 < argc) {
            args.baseDir = argv[++i];
        } else if (arg == "--seed" && i + 1 < argc) {
            args.seed = ParseSeed(argv[++i]);
            if (!args.seed) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    return args;
}

std::string Cp1251Line(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return EncodeCp1251(QString::fromUtf8(line.data(), std::ssize(line)));
}

std::string_view MissingText(LessonGap gap) {
    switch (gap) {
        case LessonGap::kNoTrigger:
            return "the lesson needs your phrase to start with";
        case LessonGap::kNoReply:
            return "the lesson needs a reply of Tumbo";
        case LessonGap::kLastTurnWithoutReply:
            return "the last phrase has no reply of Tumbo";
        case LessonGap::kNone:
            break;
    }
    return {};
}

// One run of the chat: the session and where its lines go.
class Chat {
public:
    Chat(Session& session, const ChatArgs& args, std::istream& in, std::ostream& out,
         std::ostream& err)
        : session_(session), args_(args), in_(in), out_(out), err_(err) {}

    // 0 when done, 1 when some step failed.
    int Run() {
        std::string line;
        while (std::getline(in_, line)) {
            const Turn turn = session_.Say(Cp1251Line(line));
            Show(turn);
            if (args_.explain && turn.answered) {
                out_ << "  " << session_.ExplainLastMatch() << '\n';
            }
            out_.flush();
            if (turn.state == SessionState::kTeaching) {
                Teach(turn.phrase);
            }
            // The exit reply is the last line; waiting would only slow scripts.
            if (turn.state == SessionState::kClosing) {
                break;
            }
        }
        return failed_ ? 1 : 0;
    }

private:
    void Show(const Turn& turn) {
        for (const std::string& said : turn.lines) {
            out_ << Utf8(said) << '\n';
        }
        if (turn.failure) {
            PrintFailure(err_, "tumbo-chat", *turn.failure);
            failed_ = true;
        }
    }

    // Reads the lesson's lines until it is learnt or left; the end of the input leaves it.
    void Teach(const std::string& phrase) {
        LessonFields fields{{phrase}, {}};
        Turn turn;
        turn.state = SessionState::kTeaching;
        std::string line;
        while (turn.state == SessionState::kTeaching && std::getline(in_, line)) {
            const std::string text = Cp1251Line(line);
            if (text.empty()) {
                turn = session_.Confirm(fields);
            } else if (text == ".") {
                turn = session_.Leave();
            } else if (text.front() != '>') {
                fields.replies.push_back(text);
                continue;
            } else if (fields.replies.empty()) {
                fields.triggers.push_back(text.substr(1));
                continue;
            } else {
                turn = session_.NextPhrase(fields);
                fields = {{text.substr(1)}, {}};
            }
            Show(turn);
            if (turn.missing != LessonGap::kNone) {
                err_ << "tumbo-chat: " << MissingText(turn.missing) << '\n';
            }
        }
        if (turn.state == SessionState::kTeaching) {
            Show(session_.Leave());
        }
        out_.flush();
    }

    Session& session_;
    const ChatArgs& args_;
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    bool failed_ = false;
};

}  // namespace

int RunChat(int argc, const char* const* argv, std::istream& in, std::ostream& out,
            std::ostream& err) {
    const auto args = ParseArgs(argc, argv);
    if (!args) {
        err << kUsage;
        return 2;
    }
    if (args->help) {
        out << kUsage << kHelp;
        return 0;
    }
    std::error_code ignored;
    if (!std::filesystem::is_directory(args->baseDir.empty() ? "." : args->baseDir, ignored)) {
        err << "tumbo-chat: " << args->baseDir << ": no such folder\n";
        return 2;
    }

    SystemClock systemClock;
    SequenceClock sequenceClock(args->seed.value_or(0));
    OpenSettings settings;
    settings.clock = args->seed ? static_cast<Clock*>(&sequenceClock) : &systemClock;
    settings.readOnly = !args->teach;
    Opened opened = Session::Open(args->baseDir, settings);
    if (opened.heldElsewhere) {
        err << "tumbo-chat: " << args->baseDir << ": the base is in use by Tumbo\n";
        return 2;
    }
    std::optional<Failure> failure = opened.refused ? opened.refused : opened.badOptions;
    if (!failure) {
        // The path list is only read at the first phrase; a base without one fails now.
        try {
            LineReader pathList;
            pathList.Open(opened.session->ProgramDir() + std::string(base_format::kPathList));
        } catch (const TumboError& error) {
            failure = Failure::Of(error);
        }
    }
    if (failure) {
        PrintFailure(err, "tumbo-chat", *failure);
        return 2;
    }
    return Chat(*opened.session, *args, in, out, err).Run();
}

}  // namespace tumbo::tools
