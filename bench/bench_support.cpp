#include "bench/bench_support.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace tumbo::bench {

namespace {

double NowMs(clockid_t clock) {
    timespec now{};
    ::clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

bool ResetPeak() {
    const int fd = ::open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool done = ::write(fd, "5", 1) == 1;
    ::close(fd);
    return done;
}

}  // namespace

KeptEngine::KeptEngine(const std::string& prefix) : engine_(clock_) {
    engine_.SetProgramDir(prefix);
    engine_.BindFiles();
}

EngineResult KeptEngine::Search(const std::string& phrase) {
    EngineResult result;
    const Answer answer = engine_.Reply(phrase, [&result](int walked) { result.files = walked; });
    if (answer.failure) {
        std::rethrow_exception(answer.failure);
    }
    result.found = engine_.AnswerFound();
    result.exact = result.found && engine_.MatchedBy() == ReplySearch::Tier::kExact;
    result.teachPanels = answer.teach ? 1 : 0;
    return result;
}

bool KeptEngine::OutOfContext() const {
    return !engine_.AnswerFound() && engine_.KeptDialogue().empty();
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

void BaseCache::Use(int dialogueCount) {
    if (folder_ != nullptr && shape_.dialogueCount == dialogueCount) {
        return;
    }
    Clear();
    folder_ = std::make_unique<test::TempDir>();
    // The bundled help first, as every real base has it.
    const BaseShape shape{dialogueCount, 1, std::filesystem::path(TUMBO_SOURCE_DIR) / "base"};
    WriteBase(folder_->path(), shape);
    SyncFolder(folder_->path());
    shape_ = shape;
    prefix_ = folder_->prefix();
}

void BaseCache::Clear() {
    folder_.reset();
    shape_ = {};
    prefix_.clear();
}

Memory ReadMemory() {
    Memory memory;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            memory.rssKb = std::stol(line.substr(6));
        } else if (line.rfind("VmHWM:", 0) == 0) {
            memory.peakKb = std::stol(line.substr(6));
        }
    }
    return memory;
}

Memory PeakMeter::Start() {
    resettable_ = ResetPeak() && resettable_;
    return ReadMemory();
}

const char* PeakMeter::Since() const {
    return resettable_ ? "reset before each run" : "since the process started";
}

double WallMs() {
    return NowMs(CLOCK_MONOTONIC);
}

double CpuMs() {
    return NowMs(CLOCK_PROCESS_CPUTIME_ID);
}

double MedianOf(const std::vector<Sample>& samples, double Sample::*field) {
    std::vector<double> values;
    values.reserve(samples.size());
    for (const Sample& sample : samples) {
        values.push_back(sample.*field);
    }
    if (values.empty()) {
        return 0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace tumbo::bench
