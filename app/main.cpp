#include <QApplication>

#include "app/application_setup.h"
#include "app/base_setup.h"
#include "app/single_instance.h"
#include "app/tform1.h"
#include "engine/engine.h"
#include "platform/clock.h"
#include "platform/errors.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The title bar shows the window's own caption only: Qt would add a display name to it.
    QApplication::setDesktopFileName("org.example.tumbo3");
    tumbo::SetUpApplication();

    const tumbo::BaseSource source = tumbo::BaseSourceFrom(QApplication::arguments());
    const std::string folder = tumbo::UsedDataFolder(TUMBO_REGISTRY_FILE);
    tumbo::InstallBaseIfMissing(source, folder);
    tumbo::SingleInstance instance(folder);
    bool held = false;
    try {
        switch (instance.ClaimFolder()) {
            case tumbo::SingleInstance::Claim::kHeld:
                held = true;
                break;
            case tumbo::SingleInstance::Claim::kHandedOver:
                return 0;
            case tumbo::SingleInstance::Claim::kRunningElsewhere:
                tumbo::ShowAlreadyRunningBox(folder);
                return 1;
        }
    } catch (const tumbo::TumboError& error) {
        if (!tumbo::AcceptUnlockedFolder(folder, error)) {
            return 1;
        }
    }
    if (held && !folder.empty()) {
        tumbo::Engine::RemoveStaleTemporaries(folder + "/");
        tumbo::UpdateBase(source, folder);
    }
    if (!tumbo::EnterDataFolder(TUMBO_REGISTRY_FILE, folder)) {
        return 1;
    }

    tumbo::SystemClock clock;
    tumbo::TForm1 form(TUMBO_REGISTRY_FILE, clock);
    QObject::connect(&instance, &tumbo::SingleInstance::activationRequested, &form,
                     &tumbo::TForm1::BringToFront);
    form.show();
    return QApplication::exec();
}
