#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tumbo::bench {

// Which base to generate. The same shape always gives the same bytes.
struct BaseShape {
    int dialogueCount = 0;
    std::uint64_t seed = 1;
};

// Writes opt.tmb, path.tmb and dlg/1.dlg to dlg/<count>.dlg into an existing folder, with
// CR LF line ends. Each dialogue has 1 to 3 turns of 1 to 4 triggers and 1 to 4 replies,
// then "#END". Triggers are two lower-case ASCII words, unique across the whole base.
// Throws std::system_error when a file cannot be written.
void WriteBase(const std::filesystem::path& folder, const BaseShape& shape);

// The first trigger of a dialogue's opener block, without its "$", found without reading
// the files.
std::string OpenerOf(const BaseShape& shape, int dialogue);
inline std::string LastOpener(const BaseShape& shape) {
    return OpenerOf(shape, shape.dialogueCount);
}

// A phrase that equals no generated trigger.
std::string UnmatchedPhrase();

}  // namespace tumbo::bench
