#pragma once

// What the benchmarks and the soak run share, without Qt.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/base_generator.h"
#include "engine/engine.h"
#include "support/fake_clock.h"
#include "support/temp_dir.h"

namespace tumbo::bench {

struct EngineResult {
    long files = 0;
    bool found = false;
    // Found by the exact comparison rather than a tolerant tier.
    bool exact = false;
    long teachPanels = 0;
};

// One engine over many phrases, as a window keeps its own: the first phrase fills what
// the search keeps of the base, and the later ones find it there.
class KeptEngine {
public:
    // Reads the base at prefix.
    explicit KeptEngine(const std::string& prefix);

    // Throws what the search met.
    EngineResult Search(const std::string& phrase);
    // Neither in a dialogue nor keeping one, so the next phrase walks the whole base.
    bool OutOfContext() const;
    std::size_t SearchMemoryBytes() const { return engine_.SearchMemoryBytes(); }

private:
    test::FakeClock clock_;
    Engine engine_;
};

// Writes back the file system holding the folder, so that it does not happen during
// timed searches.
void SyncFolder(const std::filesystem::path& folder);

// Keeps one generated base on disk at a time: 100,000 dialogues take some 400 MB of
// blocks. Each base is synced once written.
class BaseCache {
public:
    // Replaces the kept base by one of this many dialogues unless it has that many.
    void Use(int dialogueCount);
    void Clear();

    const BaseShape& Shape() const { return shape_; }
    const std::string& Prefix() const { return prefix_; }

private:
    std::unique_ptr<test::TempDir> folder_;
    BaseShape shape_;
    std::string prefix_;
};

// This process's resident and peak memory in kB, from /proc/self/status.
struct Memory {
    long rssKb = 0;
    long peakKb = 0;
};

Memory ReadMemory();

// Resets the peak RSS to the current RSS before a run, so that the peak read after it is
// that of the run alone. Where the kernel refuses, the peak is the one since the process
// started, and Since() says so for a summary.
class PeakMeter {
public:
    // Resets the peak, then reads the memory.
    Memory Start();
    const char* Since() const;

private:
    bool resettable_ = true;
};

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
};

double WallMs();
// The CPU time of the whole process, all threads.
double CpuMs();

template <typename Call>
Sample Timed(Call&& call) {
    const double wall = WallMs();
    const double cpu = CpuMs();
    call();
    return {WallMs() - wall, CpuMs() - cpu};
}

// The upper median of one field over the samples, 0 for none.
double MedianOf(const std::vector<Sample>& samples, double Sample::*field);

}  // namespace tumbo::bench
