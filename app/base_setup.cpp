#include "app/base_setup.h"

#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <thread>

#include "engine/base_install.h"
#include "engine/base_merge.h"
#include "engine/engine.h"
#include "platform/base_lock.h"
#include "platform/errors.h"
#include "platform/file_calls.h"
#include "platform/qt/codepage.h"
#include "platform/qt/message_box.h"
#include "ui/titles.h"

namespace tumbo {

namespace {

constexpr std::string_view kProgram = "tumbo3";
// How long a first start waits for another one that is installing the base.
constexpr auto kInstallPatience = std::chrono::minutes(2);
constexpr auto kInstallPoll = std::chrono::milliseconds(100);

std::string Utf8(std::string_view cp1251) {
    return DecodeCp1251(cp1251).toStdString();
}

void PrintFailure(const std::string& what, const TumboError& error) {
    std::cerr << kProgram << ": " << what << ": " << Utf8(error.what()) << '\n';
    std::string_view details = error.details();
    while (!details.empty()) {
        const auto end = details.find('\n');
        std::cerr << "  " << details.substr(0, end) << '\n';
        details = end == std::string_view::npos ? std::string_view() : details.substr(end + 1);
    }
}

std::string RegistryProgramDir(const std::string& registryFile) {
    try {
        return Engine::ProgramDirIn(registryFile);
    } catch (const TumboError&) {
        // The window reports it, and works in the folder a registry-less start uses.
        return {};
    }
}

// What a merge at start tells: the dialogues it adds, and what it could not do.
class StartReport : public MergeReport {
public:
    void Added(const std::string& file, const std::string& opener) override {
        std::cout << kProgram << ": added " << file << ": " << Utf8(opener) << '\n';
    }
    void AddedWords(const std::string& line) override {
        std::cout << kProgram << ": added to words.tmb: " << Utf8(line) << '\n';
    }
    void Failed(Problem problem, const std::string& entry, const TumboError* error) override {
        if (error == nullptr) {
            std::cerr << kProgram << ": bundled " << Utf8(entry)
                      << " has no opener; it is left out\n";
            return;
        }
        const std::string subject = problem == Problem::kCountLeftAlone ? entry : Utf8(entry);
        PrintFailure(subject.empty() ? "the update" : "the update, at " + subject, *error);
    }
};

void Merge(const BaseSource& source, const std::string& folder) {
    StartReport report;
    MergeCounts counts;
    const int status = MergeBundledDialogues(source.bundled, folder, report, counts);
    if (status != merge_status::kDone) {
        std::cerr << kProgram << ": not every new dialogue could be added to " << folder
                  << "; Tumbo starts with the base as it is and tries again at the next start\n";
        return;
    }
    RecordBundledVersion(source.bundled, folder);
    std::cout << kProgram << ": the base in " << folder << " is up to date (" << counts.added
              << " new dialogue(s) added";
    if (counts.words > 0) {
        std::cout << ", " << counts.words << " line(s) added to words.tmb";
    }
    std::cout << ")\n";
}

}  // namespace

BaseSource BaseSourceFrom(const QStringList& arguments) {
    BaseSource source;
    const qsizetype at = arguments.indexOf("--bundled-base");
    if (at >= 0 && at + 1 < arguments.size()) {
        source.bundled = arguments[at + 1].toStdString();
    }
    const char* skip = std::getenv("TUMBO_NO_BASE_UPDATE");
    source.updates = skip == nullptr || std::string_view(skip) != "1";
    return source;
}

std::string UsedDataFolder(const std::string& registryFile) {
    const std::string programDir = RegistryProgramDir(registryFile);
    if (!programDir.empty()) {
        return DataFolderOf(programDir);
    }
    // The XDG rules say a relative XDG_DATA_HOME is to be ignored.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return std::string(dataHome) + "/tumbo3";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        return {};
    }
    return std::string(home) + "/.local/share/tumbo3";
}

void InstallBaseIfMissing(const BaseSource& source, const std::string& folder) {
    if (source.bundled.empty() || folder.empty()) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kInstallPatience;
    try {
        InstallResult result = InstallBundledBase(source.bundled, folder);
        while (result == InstallResult::kInstalling &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(kInstallPoll);
            result = InstallBundledBase(source.bundled, folder);
        }
        if (result == InstallResult::kInstalled) {
            std::cout << kProgram << ": first start: the dialogue base is installed in " << folder
                      << '\n';
        } else if (result == InstallResult::kInstalling) {
            std::cerr << kProgram << ": another start is still installing the base in " << folder
                      << '\n';
        }
    } catch (const TumboError& error) {
        PrintFailure("cannot install the dialogue base in " + folder, error);
    }
}

void UpdateBase(const BaseSource& source, const std::string& folder) {
    if (source.bundled.empty()) {
        return;
    }
    try {
        if (const int completed = RepairBase(source.bundled, folder); completed > 0) {
            std::cout << kProgram << ": completed " << completed
                      << " half-copied file(s) of the base in " << folder << '\n';
        }
        if (source.updates && !BundledVersionRecorded(source.bundled, folder)) {
            Merge(source, folder);
        }
    } catch (const TumboError& error) {
        PrintFailure("cannot bring the base in " + folder +
                         " up to date; it is tried again at "
                         "the next start",
                     error);
    }
}

bool AcceptUnlockedFolder(const std::string& folder, const TumboError& error) {
    struct stat info {};
    if (SystemFileCalls().Lstat(folder.c_str(), &info) != 0) {
        // Nothing is there to protect; the window reports what it cannot read.
        return true;
    }
    ShowMessageBox(
        nullptr, {ApplicationTitle(),
                  QString::fromUtf8("Tumbo не может занять папку базы и не будет в неё писать."),
                  BoxIcon::kStop,
                  QString::fromUtf8("Data folder: ") + QString::fromStdString(folder) + "\n" +
                      DecodeCp1251(error.what()) + "\n" + QString::fromStdString(error.details())});
    return false;
}

bool EnterDataFolder(const std::string& registryFile, const std::string& folder) {
    if (!RegistryProgramDir(registryFile).empty()) {
        return true;  // the window works with the registry's folder as it is
    }
    const int err = folder.empty() ? ENOENT : (::chdir(folder.c_str()) == 0 ? 0 : errno);
    if (err == 0) {
        return true;
    }
    const InOutError error(CodeFromErrno(err, folder + "/"), "open the data folder",
                           folder.empty() ? std::string("$HOME/.local/share/tumbo3") : folder, err);
    ShowMessageBox(nullptr, {ApplicationTitle(), DecodeCp1251(error.what()), BoxIcon::kStop,
                             QString::fromStdString(error.details())});
    return false;
}

}  // namespace tumbo
