#include <QApplication>

#include "app/application_setup.h"
#include "app/single_instance.h"
#include "app/tform1.h"
#include "engine/engine.h"
#include "platform/base_lock.h"
#include "platform/clock.h"
#include "platform/errors.h"

namespace {

// The folder the window will work in. A registry file that cannot be read is the
// window's to report; it then works in the current folder.
std::string DataFolder() {
    std::string programDir;
    try {
        programDir = tumbo::Engine::ProgramDirIn(TUMBO_REGISTRY_FILE);
    } catch (const tumbo::TumboError&) {
    }
    return tumbo::DataFolderOf(programDir);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The title bar shows the window's own caption only: Qt would add a display name to it.
    QApplication::setDesktopFileName("org.example.tumbo3");
    tumbo::SetUpApplication();

    const std::string folder = DataFolder();
    tumbo::SingleInstance instance(folder);
    try {
        switch (instance.ClaimFolder()) {
            case tumbo::SingleInstance::Claim::kHeld:
                tumbo::Engine::RemoveStaleTemporaries(
                    tumbo::Engine::ProgramDirIn(TUMBO_REGISTRY_FILE));
                break;
            case tumbo::SingleInstance::Claim::kHandedOver:
                return 0;
            case tumbo::SingleInstance::Claim::kRunningElsewhere:
                tumbo::ShowAlreadyRunningBox(folder);
                return 1;
        }
    } catch (const tumbo::TumboError&) {
        // A folder that cannot be opened holds nothing to protect; the window reports
        // what it cannot read there.
    }

    tumbo::SystemClock clock;
    tumbo::TForm1 form(TUMBO_REGISTRY_FILE, clock);
    QObject::connect(&instance, &tumbo::SingleInstance::activationRequested, &form,
                     &tumbo::TForm1::BringToFront);
    form.show();
    return QApplication::exec();
}
