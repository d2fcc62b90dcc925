#include "tools/chat.h"

#include <fcntl.h>

#include <QString>

#include <array>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/base_format.h"
#include "engine/engine.h"
#include "platform/errors.h"
#include "platform/qt/codepage.h"
#include "platform/text_file.h"
#include "tools/tool_output.h"

namespace tumbo::tools {

int ReadOnlyFileCalls::Open(const char* path, int flags, mode_t mode) {
    const bool writes = (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0;
    if (!writes) {
        return FileCalls::Open(path, flags, mode);
    }
    // Refusing would fail the search before it prints the no-answer line.
    const int fd = FileCalls::Open("/dev/null", O_RDWR | O_CLOEXEC, 0);
    if (fd >= 0) {
        discarding_.insert(fd);
    }
    return fd;
}

// A change to a written file is done as nothing on its /dev/null, never passed on (it
// would change /dev/null itself), and refused on a file that was only read.
int ReadOnlyFileCalls::Pretend(int fd) const {
    if (discarding_.contains(fd)) {
        return 0;
    }
    errno = EROFS;
    return -1;
}

int ReadOnlyFileCalls::Fchmod(int fd, mode_t) {
    return Pretend(fd);
}

int ReadOnlyFileCalls::Fsync(int fd) {
    return discarding_.contains(fd) ? 0 : FileCalls::Fsync(fd);
}

int ReadOnlyFileCalls::Truncate(int fd, off_t) {
    return Pretend(fd);
}

int ReadOnlyFileCalls::Close(int fd) {
    discarding_.erase(fd);
    return FileCalls::Close(fd);
}

int ReadOnlyFileCalls::Rename(const char*, const char*) {
    errno = EROFS;
    return -1;
}

int ReadOnlyFileCalls::RenameNoReplace(const char*, const char*) {
    errno = EROFS;
    return -1;
}

int ReadOnlyFileCalls::Unlink(const char*) {
    errno = EROFS;
    return -1;
}

namespace {

constexpr std::string_view kUsage = "usage: tumbo-chat [--base DIR] [--seed N]\n";
constexpr std::string_view kHelp =
    "Reads phrases from standard input, one a line, and prints the chat log the window\n"
    "would show. Nothing in the base is written: where the window would ask to be taught,\n"
    "the no-answer line is printed and the chat goes on.\n"
    "  --base DIR  the dialogue base (default: the current folder)\n"
    "  --seed N    make the choice among replies repeatable\n";

// The main window's part, on a terminal: the chat log goes out as lines and the
// teaching panel never opens.
class TerminalWindow : public EngineWindow {
public:
    explicit TerminalWindow(std::ostream& out) : out_(out) {}

    bool CloseRequested() const { return closeRequested_; }

    void AppendChatLine(const std::string& line) override { out_ << Utf8(line) << '\n'; }
    std::string InputText() const override { return input_; }
    void SetInputText(const std::string& text) override { input_ = text; }
    void SetProgressPosition(int) override {}
    // The exit reply is already the last line printed; waiting would only slow scripts.
    void Pause(int) override {}
    void RequestClose() override { closeRequested_ = true; }
    void ApplyOptions(const TOptions&) override {}
    TOptions SettingsFromControls() const override { return {}; }
    std::string TeachField(int number) const override { return fields_.at(number - 1); }
    void SetTeachField(int number, const std::string& text) override {
        fields_.at(number - 1) = text;
    }
    void ShowTeachPanel() override {}
    void HideTeachPanel() override {}

private:
    std::ostream& out_;
    std::string input_;
    bool closeRequested_ = false;
    std::array<std::string, kTeachFieldCount> fields_;
};

struct ChatArgs {
    bool help = false;
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

    ReadOnlyFileCalls calls;
    TerminalWindow window(out);
    SystemClock systemClock;
    SequenceClock sequenceClock(args->seed.value_or(0));
    Clock& clock = args->seed ? static_cast<Clock&>(sequenceClock) : systemClock;
    Engine engine(window, clock, calls);
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
    TextFile pathList(calls);
    if (!load([&] { engine.LoadOptions(); }) || !load([&] {
            pathList.Assign(prefix + std::string(base_format::kPathList));
            pathList.Reset();
            pathList.Close();
        })) {
        return 2;
    }

    bool anyFailed = false;
    std::string line;
    while (!window.CloseRequested() && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        window.SetInputText(EncodeCp1251(QString::fromUtf8(line.data(), std::ssize(line))));
        try {
            engine.SendPhrase();
        } catch (const TumboError& error) {
            out.flush();
            PrintFailure(err, "tumbo-chat", error);
            anyFailed = true;
        }
        out.flush();
    }
    return anyFailed ? 1 : 0;
}

}  // namespace tumbo::tools
