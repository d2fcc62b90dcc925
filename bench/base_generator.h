#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tumbo::bench {

// Which base to generate. The same shape always gives the same bytes.
struct BaseShape {
    int dialogueCount = 0;
    std::uint64_t seed = 1;
    // A bundled base whose urgent dialogues and concepts.tmb replace the first generated
    // dialogues and join the base; none when empty.
    std::filesystem::path bundled;
};

// Writes opt.tmb, path.tmb, words.tmb and dlg/1.dlg to dlg/<count>.dlg into an existing
// folder, code page 1251 with CR LF line ends. Each dialogue has 1 to 3 turns of 1 to 4
// triggers and 1 to 4 replies, then "#END". Those triggers are two lower-case ASCII words,
// unique across the whole base. Every third opener block also holds 2 to 4 Russian words
// (some of which words.tmb replaces or drops) and every 25th a pattern, a Russian word
// between stars; each with a word of its own, so they are unique too. With `bundled`, the
// help a real base holds comes first (it never answers the cases timed).
// Throws std::system_error when a file cannot be written.
void WriteBase(const std::filesystem::path& folder, const BaseShape& shape);

// The first trigger of a dialogue's opener block, without its "$", found without reading
// the files.
std::string OpenerOf(const BaseShape& shape, int dialogue);
inline std::string LastOpener(const BaseShape& shape) {
    return OpenerOf(shape, shape.dialogueCount);
}

// A phrase of three Russian clauses that no tier answers, whole or in parts: none of its
// words is in a generated trigger. Code page 1251.
std::string UnmatchedPhrase();

}  // namespace tumbo::bench
