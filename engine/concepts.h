#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tumbo {

class LineReader;

// One line of the base's concepts: `@name=entry, entry` names a class of words, `!@name=...`
// a class whose entries are danger signs. A later line for the same name adds entries. An entry is
// one or more words, or `@other`, which brings in that class's entries. Name and words folded.
struct ConceptLine {
    std::string name;
    bool danger = false;
    std::vector<std::string> entries;
};

enum class ConceptFault {
    kNone,
    // No "=", a name that is not `@` and letters, or an empty entry.
    kMalformed,
};

// Reads one line; a blank line or a comment (`#`) is kMalformed too, callers skip them first.
ConceptFault ParseConcept(std::string_view line, ConceptLine& parsed);
bool IsConceptComment(std::string_view line);

// The classes of a base, each entry spelled out in words: `@other` entries are replaced by
// the other class's, a class that leads back to itself stopping where it would come round.
class ConceptSet {
public:
    struct Class {
        std::string name;
        bool danger = false;
        // Folded words, the words of an entry separated by one blank.
        std::vector<std::string> entries;
    };
    // A fault the author should hear of, by the line (counting from 1) it is on.
    struct Fault {
        std::size_t line = 0;
        std::string text;
    };

    // Faulty lines are left out.
    static ConceptSet FromLines(const std::vector<std::string>& lines);

    const std::vector<Class>& Classes() const { return classes_; }
    // The index of the class named `name` (without `@`), or Classes().size().
    std::size_t Find(std::string_view name) const;
    // Malformed lines, unknown names and classes that contain themselves.
    const std::vector<Fault>& Faults() const { return faults_; }

private:
    std::vector<Class> classes_;
    std::unordered_map<std::string, std::size_t> byName_;
    std::vector<Fault> faults_;
};

// The concepts in the file at `path`; none when there is no such file. Throws InOutError
// when the file is there but cannot be read.
ConceptSet ReadConcepts(LineReader& reader, std::string_view path);

}  // namespace tumbo
