#include "tools/chat.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/base_format.h"
#include "engine/chat_lines.h"
#include "engine/engine.h"
#include "platform/errors.h"
#include "platform/line_reader.h"
#include "platform/qt/codepage.h"
#include "tools/tool_output.h"

namespace tumbo::tools {

namespace {

constexpr std::string_view kUsage = "usage: tumbo-chat [--base DIR] [--seed N] [--explain]\n";
constexpr std::string_view kHelp =
    "Reads phrases from standard input, one a line, and prints the chat log the window\n"
    "would show. Nothing in the base is written: where the window would ask to be taught,\n"
    "the no-answer line is printed and the chat goes on.\n"
    "  --base DIR  the dialogue base (default: the current folder)\n"
    "  --seed N    make the choice among replies repeatable\n"
    "  --explain   after each answer, say how the phrase was matched: the tier, the\n"
    "              dialogue and line, the part of the phrase that answered, and its words\n"
    "              as compared (after the base's substitutions and stemming)\n";

struct ChatArgs {
    bool help = false;
    bool explain = false;
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

std::string_view TierName(ReplySearch::Tier tier) {
    switch (tier) {
        case ReplySearch::Tier::kExact:
            return "exact";
        case ReplySearch::Tier::kFolded:
            return "folded";
        case ReplySearch::Tier::kOneTypo:
            return "one typo";
        case ReplySearch::Tier::kSameWords:
            return "same words";
        case ReplySearch::Tier::kPattern:
            return "pattern";
        case ReplySearch::Tier::kClosestMeaning:
            return "closest meaning";
    }
    return "?";
}

void Explain(std::ostream& out, const ReplySearch::Match& match) {
    out << "  matched: " << TierName(match.tier);
    if (match.tier == ReplySearch::Tier::kClosestMeaning) {
        out << " (" << std::lround(match.shared * 100) << "% shared)";
    }
    out << ", " << match.entry << " line " << match.line << ", "
        << (match.wholePhrase ? "whole phrase" : "part") << " \"" << Utf8(match.part)
        << "\", words:";
    for (const std::string& word : match.words) {
        out << ' ' << word;
    }
    out << '\n';
}

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
    std::string prefix = args->baseDir;
    if (!prefix.empty() && prefix.back() != '/') {
        prefix += '/';
    }
    std::error_code ignored;
    if (!std::filesystem::is_directory(prefix.empty() ? "." : prefix, ignored)) {
        err << "tumbo-chat: " << args->baseDir << ": no such folder\n";
        return 2;
    }

    SystemClock systemClock;
    SequenceClock sequenceClock(args->seed.value_or(0));
    Clock& clock = args->seed ? static_cast<Clock&>(sequenceClock) : systemClock;
    Engine engine(clock);
    engine.SetProgramDir(prefix);
    engine.BindFiles();

    const auto load = [&](const std::function<void()>& step) {
        try {
            step();
            return true;
        } catch (const TumboError& error) {
            PrintFailure(err, "tumbo-chat", error);
            return false;
        }
    };
    // The path list is only read at the first phrase; a base without one fails now.
    LineReader pathList;
    if (!load([&] { engine.LoadOptions(); }) || !load([&] {
            pathList.Open(prefix + std::string(base_format::kPathList));
            pathList.Close();
        })) {
        return 2;
    }

    bool anyFailed = false;
    bool closed = false;
    std::string line;
    while (!closed && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const Answer answer =
            engine.Reply(EncodeCp1251(QString::fromUtf8(line.data(), std::ssize(line))));
        for (const std::string& said : answer.lines) {
            out << Utf8(said) << '\n';
        }
        // Where the window would ask to be taught, the chat goes on.
        if (answer.teach) {
            out << Utf8(chat_lines::kNoAnswer) << '\n';
        } else if (args->explain && !answer.failure && !answer.phrase.empty()) {
            Explain(out, engine.LastMatch());
        }
        out.flush();
        if (answer.failure) {
            try {
                std::rethrow_exception(answer.failure);
            } catch (const TumboError& error) {
                PrintFailure(err, "tumbo-chat", error);
                anyFailed = true;
            }
        }
        // The exit reply is the last line; waiting would only slow scripts.
        closed = answer.closeAfterPause;
    }
    return anyFailed ? 1 : 0;
}

}  // namespace tumbo::tools
