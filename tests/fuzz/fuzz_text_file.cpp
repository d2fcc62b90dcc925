// The data-file reader on an arbitrary file, first as the option file is read by hand,
// then through the engine's own option loading.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/session.h"
#include "fuzz_support.h"
#include "platform/errors.h"
#include "platform/line_reader.h"
#include "support/fake_clock.h"
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

void LoadThroughSession(const std::string& folder) {
    tumbo::test::FakeClock clock;
    tumbo::OpenSettings settings;
    settings.clock = &clock;
    settings.readOnly = true;
    const tumbo::Opened opened = tumbo::Session::Open(folder, settings);
    if (opened.badOptions) {
        return;
    }
    const tumbo::TOptions& options = opened.session->Options();
    if (options.Opacity < tumbo::kMinOpacity || options.Opacity > tumbo::kMaxOpacity) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& dir = Dir();
    dir.Write("opt.tmb", std::string_view(reinterpret_cast<const char*>(data), size));
    ReadAsOptionFile(dir.file("opt.tmb"));
    LoadThroughSession(dir.path().string());
    return 0;
}
