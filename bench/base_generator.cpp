#include "bench/base_generator.h"

#include "engine/base_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

#include "support/base_writer.h"

namespace tumbo::bench {

namespace {

constexpr int kMaxTurns = 3;
constexpr int kMaxTriggers = 4;
constexpr int kMaxReplies = 4;
constexpr int kTriggerSlots = kMaxTurns * kMaxTriggers;
// Trigger numbers must stay below 2^32 to stay unique.
constexpr int kMaxDialogues = 100'000'000;
constexpr std::size_t kFlushSize = 64 * 1024;

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

void AppendTrigger(std::string& out, const BaseShape& shape, int dialogue, int turn, int index) {
    const auto number = static_cast<std::uint32_t>(
        static_cast<std::uint64_t>(dialogue - 1) * kTriggerSlots + turn * kMaxTriggers + index);
    const std::uint32_t word = Permute32(number + static_cast<std::uint32_t>(Mix64(shape.seed)));
    out += 'w';
    out += std::to_string(word & 0xFFFFu);
    out += " w";
    out += std::to_string(word >> 16);
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

}  // namespace

void WriteBase(const std::filesystem::path& folder, const BaseShape& shape) {
    if (shape.dialogueCount < 1 || shape.dialogueCount > kMaxDialogues) {
        throw std::invalid_argument("dialogue count out of range");
    }
    std::filesystem::create_directories(folder / base_format::kDialogueFolder);
    const std::string prefix = folder.string() + "/";
    WriteWholeFile(prefix + std::string(base_format::kOptionFile),
                   test::OptionFile("Bench", shape.dialogueCount));

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
}

std::string OpenerOf(const BaseShape& shape, int dialogue) {
    std::string trigger;
    AppendTrigger(trigger, shape, dialogue, 0, 0);
    return trigger;
}

std::string UnmatchedPhrase() {
    // Every trigger is "w<digits> w<digits>".
    return "no such phrase";
}

}  // namespace tumbo::bench
