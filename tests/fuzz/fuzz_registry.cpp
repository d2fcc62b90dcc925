// Reading the program folder from an arbitrary registry export.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "platform/errors.h"
#include "platform/registry.h"
#include "support/temp_dir.h"

namespace {

const tumbo::test::TempDir& Dir() {
    static const tumbo::test::TempDir dir;
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& dir = Dir();
    dir.Write("tumbo3.reg", std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        tumbo::ReadRegistryString(dir.file("tumbo3.reg"), "HKEY_LOCAL_MACHINE\\SOFTWARE\\tumbo3",
                                  "programdir");
    } catch (const tumbo::RegistryError&) {
    }
    return 0;
}
