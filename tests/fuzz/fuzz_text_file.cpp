// The data-file reader on an arbitrary file, first as the option file is read by hand,
// then through the engine's own option loading.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine.h"
#include "fuzz_support.h"
#include "platform/errors.h"
#include "platform/line_reader.h"
#include "support/null_window.h"
#include "support/temp_dir.h"

namespace {

const tumbo::test::TempDir& Dir() {
    static const tumbo::test::TempDir dir;
    return dir;
}

void ReadAsOptionFile(const std::string& path) {
    tumbo::LineReader file;
    try {
        file.Open(path);
        file.ReadLine();
        file.ReadLine();
        file.ReadInteger();
        file.SkipLine();
        file.ReadInteger();
        file.SkipLine();
        std::string line;
        while (!file.Eof()) {
            file.ReadLine(line);
        }
        file.Close();
    } catch (const tumbo::TumboError&) {
    }
}

void LoadThroughEngine(const std::string& programDir) {
    tumbo::test::NullClock clock;
    tumbo::Engine engine(clock);
    tumbo::test::NullWindow window(engine);
    engine.SetProgramDir(programDir);
    engine.BindFiles();
    try {
        window.LoadOptions();
    } catch (const tumbo::TumboError&) {
        return;
    }
    const tumbo::TOptions& options = engine.Options();
    if (options.Opacity < tumbo::kMinOpacity || options.Opacity > tumbo::kMaxOpacity) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& dir = Dir();
    dir.Write("opt.tmb", std::string_view(reinterpret_cast<const char*>(data), size));
    ReadAsOptionFile(dir.file("opt.tmb"));
    LoadThroughEngine(dir.prefix());
    return 0;
}
