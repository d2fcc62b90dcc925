#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <iostream>
#include <string>

#include "support/durable_memory_file_calls.h"

namespace tumbo::test {

// How a run stops at a call: the power is cut, and the disk keeps only what was synced; or
// the program is killed, and the disk keeps everything it was given.
enum class Stop { kPowerCut, kKill };

// Runs `run` on a disk `fresh` makes, once whole to count its calls, then stopped at each
// call and once more just after the last, each way a run can stop; after every stop, `check`
// looks at what the disk kept. `run` arms the disk with CutPowerAt(stopAt) where stopping
// may begin. Returns the number of stopping points.
inline int StopAtEveryCall(const std::function<DurableMemoryFileCalls&()>& fresh,
                           const std::function<void(int stopAt)>& run,
                           const std::function<void(Stop)>& check) {
    DurableMemoryFileCalls& whole = fresh();
    run(INT_MAX);
    // Counted once the run's objects are gone, whose destructors may make calls too.
    const int points = whole.Calls() + 1;
    for (int at = 1; at <= points && !testing::Test::HasFatalFailure(); ++at) {
        for (const Stop stop : {Stop::kPowerCut, Stop::kKill}) {
            SCOPED_TRACE(std::string(stop == Stop::kPowerCut ? "power cut" : "kill") + " at call " +
                         std::to_string(at) + " of " + std::to_string(points - 1));
            DurableMemoryFileCalls& disk = fresh();
            run(at);
            stop == Stop::kPowerCut ? disk.Restart() : disk.Kill();
            check(stop);
        }
    }
    testing::Test::RecordProperty("stopping_points", points);
    std::cout << "[ stops ] " << points << " calls, each stopped by a power cut and by a kill\n";
    return points;
}

}  // namespace tumbo::test
