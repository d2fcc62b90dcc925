#include "app/base_setup.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "engine/base_format.h"
#include "platform/base_lock.h"
#include "platform/errors.h"
#include "platform/qt/codepage.h"
#include "platform/qt/message_box.h"
#include "ui/titles.h"

namespace tumbo {

namespace {

constexpr std::string_view kProgram = "tumbo3";

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

DataFolder UsedDataFolder(const std::string& registryFile) {
    DataFolder used;
    try {
        if (const std::string programDir = base_format::ProgramDirIn(registryFile);
            !programDir.empty()) {
            used.folder = DataFolderOf(programDir);
            return used;
        }
    } catch (const TumboError& error) {
        // The window reports it, and works in the folder a registry-less start uses.
        used.registryFailure = Failure::Of(error, "read " + registryFile);
    }
    // The XDG rules say a relative XDG_DATA_HOME is to be ignored.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        used.folder = std::string(dataHome) + "/tumbo3";
        return used;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        used.folder = std::string(home) + "/.local/share/tumbo3";
    }
    return used;
}

void PrintOpening(const Opened& opened) {
    for (const std::string& note : opened.notes) {
        std::cout << kProgram << ": " << note << '\n';
    }
    for (const Failure& warning : opened.warnings) {
        std::cerr << warning.Printed(kProgram);
    }
}

int RefuseFolder(const std::string& folder, const Failure& failure) {
    ShowMessageBox(
        nullptr,
        {ApplicationTitle(),
         QString::fromUtf8("Tumbo не может занять папку базы и не будет в неё писать."),
         BoxIcon::kStop,
         QString::fromUtf8("Data folder: ") + QString::fromStdString(folder) + "\n" +
             DecodeCp1251(failure.message) + "\n" + QString::fromStdString(failure.details)});
    return 1;
}

bool DataFolderThere(const std::string& folder) {
    struct stat info {};
    const int err = folder.empty() ? ENOENT : (::stat(folder.c_str(), &info) != 0 ? errno : 0);
    if (err == 0 && S_ISDIR(info.st_mode)) {
        return true;
    }
    const InOutError error(CodeFromErrno(err == 0 ? ENOTDIR : err, folder + "/"),
                           "open the data folder",
                           folder.empty() ? std::string("$HOME/.local/share/tumbo3") : folder,
                           err == 0 ? ENOTDIR : err);
    ShowMessageBox(nullptr, {ApplicationTitle(), DecodeCp1251(error.what()), BoxIcon::kStop,
                             QString::fromStdString(error.details())});
    return false;
}

}  // namespace tumbo
