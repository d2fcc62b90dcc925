#include "bench/base_generator.h"

#include "engine/base_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/cp1251_literal.h"
#include "support/base_writer.h"

namespace tumbo::bench {

namespace {

constexpr int kMaxTurns = 3;
constexpr int kMaxTriggers = 4;
constexpr int kMaxReplies = 4;
// Slots past the turns' triggers number the words that keep the Russian openers unique.
constexpr int kExtraSlots = 2;
constexpr int kTriggerSlots = kMaxTurns * kMaxTriggers + kExtraSlots;
// Trigger numbers must stay below 2^32 to stay unique.
constexpr int kMaxDialogues = 100'000'000;
constexpr std::size_t kFlushSize = 64 * 1024;

// How often a dialogue's opener block also holds Russian words, and a pattern.
constexpr int kWordsEvery = 3;
constexpr int kPatternEvery = 25;
constexpr int kMaxRussianWords = 4;

// The words of the Russian openers: everyday words, and words that words.tmb replaces or
// drops, so that the tolerant search stems, substitutes and matches patterns over them.
constexpr auto kOpenerWords = Cp1251(
    u8"привет пока как дела что делаешь тебя вас зовут сколько лет любишь музыку погода "
    u8"сегодня работа начальник устала спать хочу кино книгу читаешь гулять друг мама "
    u8"школа вкусно скучно весело спасибо хорошо сейчас завтра вчера играть чай кофе "
    u8"собака море лето зима не ну короче типа блин щас чё норм прив оч пасиб плиз спс "
    u8"ок инет комп вы тебе ща");

// words.tmb: `word=replacement` lines, the fillers with nothing after the "=".
constexpr auto kSubstitutions = Cp1251(
    u8"вас=тебя|тебя=ты|вы=ты|тебе=ты|щас=сейчас|ща=сейчас|счас=сейчас|чё=что|чо=что|"
    u8"шо=что|норм=нормально|нормуль=нормально|прив=привет|приветик=привет|здарова=привет|"
    u8"оч=очень|пасиб=спасибо|спс=спасибо|плиз=пожалуйста|пжл=пожалуйста|ок=хорошо|"
    u8"окей=хорошо|инет=интернет|комп=компьютер|ну=|короче=|типа=|вообще=|блин=|слушай=|"
    u8"кстати=|просто=|значит=|вот=");

// Three clauses none of whose words, stems or substitutions any generated opener holds.
constexpr auto kUnmatched = Cp1251(
    u8"почему жёлтый трамвай опоздал, где спрятался рыжий кот, когда зацветёт старая яблоня");

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

const std::vector<std::string_view>& OpenerWords() {
    static const std::vector<std::string_view> words = Split(kOpenerWords.view(), ' ');
    return words;
}

// splitmix64: a good spread from any seed, including neighbouring ones.
std::uint64_t Mix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A bijection of 32-bit numbers, so distinct trigger numbers give distinct words.
std::uint32_t Permute32(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

class Random {
public:
    explicit Random(std::uint64_t state) : state_(state) {}
    std::uint64_t Next() { return Mix64(state_++); }
    int Between(int low, int high) {
        return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
    }

private:
    std::uint64_t state_;
};

std::uint32_t SlotWord(const BaseShape& shape, int dialogue, int slot) {
    const auto number =
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(dialogue - 1) * kTriggerSlots + slot);
    return Permute32(number + static_cast<std::uint32_t>(Mix64(shape.seed)));
}

void AppendTrigger(std::string& out, const BaseShape& shape, int dialogue, int turn, int index) {
    const std::uint32_t word = SlotWord(shape, dialogue, turn * kMaxTriggers + index);
    out += 'w';
    out += std::to_string(word & 0xFFFFu);
    out += " w";
    out += std::to_string(word >> 16);
}

// A word of this trigger's own, numbered as the w-triggers are: a Russian opener is as
// unique as they are, so a merge of two generated bases finds none in both.
void AppendUniqueWord(std::string& out, const BaseShape& shape, int dialogue, int extra) {
    out += " w";
    out += std::to_string(SlotWord(shape, dialogue, kMaxTurns * kMaxTriggers + extra));
}

std::string_view AnyOpenerWord(Random& random) {
    const std::vector<std::string_view>& words = OpenerWords();
    return words[static_cast<std::size_t>(random.Between(0, static_cast<int>(words.size()) - 1))];
}

// After the opener block's w-triggers: some Russian words, and now and then a pattern
// holding one of them among stars.
void AppendRussianOpeners(std::string& out, const BaseShape& shape, int dialogue, Random& random) {
    if (dialogue % kWordsEvery == 0) {
        out += '$';
        const int words = random.Between(2, kMaxRussianWords);
        for (int word = 0; word < words; ++word) {
            out += word == 0 ? "" : " ";
            out += AnyOpenerWord(random);
        }
        AppendUniqueWord(out, shape, dialogue, 0);
        out += "\r\n";
    }
    if (dialogue % kPatternEvery == 0) {
        out += "$* ";
        out += AnyOpenerWord(random);
        out += " *";
        AppendUniqueWord(out, shape, dialogue, 1);
        out += "\r\n";
    }
}

void AppendDialogue(std::string& out, const BaseShape& shape, int dialogue) {
    Random random(Mix64(shape.seed) ^ Mix64(static_cast<std::uint64_t>(dialogue)));
    const int turns = random.Between(1, kMaxTurns);
    for (int turn = 0; turn < turns; ++turn) {
        const int triggers = random.Between(1, kMaxTriggers);
        for (int index = 0; index < triggers; ++index) {
            out += '$';
            AppendTrigger(out, shape, dialogue, turn, index);
            out += "\r\n";
        }
        if (turn == 0) {
            AppendRussianOpeners(out, shape, dialogue, random);
        }
        const int replies = random.Between(1, kMaxReplies);
        for (int reply = 0; reply < replies; ++reply) {
            out += '#';
            const int words = random.Between(1, 5);
            for (int word = 0; word < words; ++word) {
                out += word == 0 ? "w" : " w";
                out += std::to_string(random.Next() % 100'000);
            }
            out += "\r\n";
        }
    }
    out += "#END\r\n";
}

[[noreturn]] void Fail(const std::string& path) {
    throw std::system_error(errno, std::generic_category(), path);
}

class OutFile {
public:
    explicit OutFile(const std::string& path) : path_(path) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            Fail(path_);
        }
    }
    ~OutFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;

    void Write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t wrote = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (wrote < 0 && errno == EINTR) {
                continue;
            }
            if (wrote < 0) {
                Fail(path_);
            }
            done += static_cast<std::size_t>(wrote);
        }
    }
    void Close() {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            Fail(path_);
        }
    }

private:
    std::string path_;
    int fd_ = -1;
};

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    OutFile file(path);
    file.Write(bytes);
    file.Close();
}

std::string ReadWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Fail(path.string());
    }
    std::string bytes;
    char buffer[kFlushSize];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ::close(fd);
            if (got < 0) {
                Fail(path.string());
            }
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

// The bundled base's urgent dialogues, in its order: every phrase meets them, so a base
// without them would time a search that does less than the real one.
std::vector<std::string> BundledUrgentDialogues(const std::filesystem::path& bundled) {
    std::vector<std::string> dialogues;
    const std::string list = ReadWholeFile(bundled / base_format::kPathList);
    for (const std::string_view line : Split(list, '\n')) {
        std::string entry(line.substr(0, line.find('\r')));
        if (entry.empty()) {
            continue;
        }
        std::string bytes = ReadWholeFile(bundled / base_format::DialogueFilePath(entry));
        const std::string_view first = std::string_view(bytes).substr(0, bytes.find('\r'));
        if (first.size() > 1 && base_format::IsMark(first.substr(1))) {
            dialogues.push_back(std::move(bytes));
        }
    }
    return dialogues;
}

}  // namespace

void WriteBase(const std::filesystem::path& folder, const BaseShape& shape) {
    if (shape.dialogueCount < 1 || shape.dialogueCount > kMaxDialogues) {
        throw std::invalid_argument("dialogue count out of range");
    }
    std::filesystem::create_directories(folder / base_format::kDialogueFolder);
    const std::string prefix = folder.string() + "/";
    WriteWholeFile(prefix + std::string(base_format::kOptionFile),
                   test::OptionFile("Bench", shape.dialogueCount));
    std::string substitutions;
    for (const std::string_view line : Split(kSubstitutions.view(), '|')) {
        substitutions.append(line).append("\r\n");
    }
    WriteWholeFile(prefix + std::string(base_format::kWordSubstitutions), substitutions);

    OutFile pathList(prefix + std::string(base_format::kPathList));
    std::string listBytes;
    std::string dialogueBytes;
    for (int dialogue = 1; dialogue <= shape.dialogueCount; ++dialogue) {
        listBytes += test::PathListLine(dialogue);
        if (listBytes.size() >= kFlushSize) {
            pathList.Write(listBytes);
            listBytes.clear();
        }
        dialogueBytes.clear();
        AppendDialogue(dialogueBytes, shape, dialogue);
        WriteWholeFile(prefix + test::DialogueFile(dialogue), dialogueBytes);
    }
    pathList.Write(listBytes);
    pathList.Close();
    if (shape.bundled.empty()) {
        return;
    }
    // First in the walk, as in the bundled base, in place of as many generated dialogues.
    const std::vector<std::string> urgent = BundledUrgentDialogues(shape.bundled);
    for (std::size_t i = 0;
         i < urgent.size() && i + 1 < static_cast<std::size_t>(shape.dialogueCount); ++i) {
        WriteWholeFile(prefix + test::DialogueFile(static_cast<int>(i + 1)), urgent[i]);
    }
    WriteWholeFile(prefix + std::string(base_format::kConcepts),
                   ReadWholeFile(shape.bundled / base_format::kConcepts));
}

std::string OpenerOf(const BaseShape& shape, int dialogue) {
    std::string trigger;
    AppendTrigger(trigger, shape, dialogue, 0, 0);
    return trigger;
}

std::string UnmatchedPhrase() {
    return kUnmatched.str();
}

}  // namespace tumbo::bench
