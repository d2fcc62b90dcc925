#include "tools/concept_check.h"

#include <sys/stat.h>

#include <vector>

#include "engine/base_format.h"
#include "engine/concepts.h"
#include "engine/utf8_text.h"
#include "tools/base_lines.h"

namespace tumbo::tools {

std::set<std::string> CheckConcepts(FileCalls& calls, const std::filesystem::path& dir,
                                    Findings& findings) {
    const std::string name(base_format::kConcepts);
    struct stat info {};
    if (!LookAt(calls, dir / name, info, false)) {
        return {};
    }
    // Every line is kept, a faulty one as an empty line, so faults name the right line.
    std::vector<std::string> lines;
    try {
        BaseFileLines file(calls, dir / name);
        LineChecks checks(findings, name);
        StoredLine line;
        while (file.Next(line)) {
            checks.Line(line, file.Count());
            if (line.length > base_format::kMaxWordsLineLength) {
                findings.Add(name, file.Count(),
                             "line of " + std::to_string(line.length) + " bytes, longer than " +
                                 std::to_string(base_format::kMaxWordsLineLength) +
                                 ": the program leaves it out");
                lines.emplace_back();
                continue;
            }
            lines.push_back(line.text);
        }
        checks.End(file, file.Count() > 0 ? &line : nullptr);
    } catch (const FileTrouble& trouble) {
        findings.Unreadable(name, trouble.what());
        return {};
    }
    const ConceptSet concepts = ConceptSet::FromLines(lines);
    for (const ConceptSet::Fault& fault : concepts.Faults()) {
        findings.Add(name, fault.line, Utf8FromCp1251(fault.text));
    }
    std::set<std::string> names;
    for (const ConceptSet::Class& defined : concepts.Classes()) {
        names.insert(defined.name);
    }
    return names;
}

}  // namespace tumbo::tools
