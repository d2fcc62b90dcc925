#include <QApplication>

#include <vector>

#include "app/application_setup.h"
#include "app/base_setup.h"
#include "app/single_instance.h"
#include "app/tform1.h"
#include "engine/session.h"
#include "platform/clock.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The title bar shows the window's own caption only: Qt would add a display name to it.
    QApplication::setDesktopFileName("org.example.tumbo3");
    tumbo::SetUpApplication();

    const tumbo::BaseSource source = tumbo::BaseSourceFrom(QApplication::arguments());
    const tumbo::DataFolder used = tumbo::UsedDataFolder(TUMBO_REGISTRY_FILE);
    if (used.folder.empty() && !tumbo::DataFolderThere(used.folder)) {
        return 1;
    }
    tumbo::OpenSettings settings;
    settings.bundled = source.bundled;
    settings.updates = source.updates;
    tumbo::SystemClock clock;
    settings.clock = &clock;
    tumbo::Opened opened = tumbo::Session::Open(used.folder, settings);
    tumbo::PrintOpening(opened);
    tumbo::SingleInstance instance(used.folder);
    if (opened.heldElsewhere) {
        if (instance.HandOver()) {
            return 0;
        }
        tumbo::ShowAlreadyRunningBox(used.folder);
        return 1;
    }
    if (opened.refused) {
        return tumbo::RefuseFolder(used.folder, *opened.refused);
    }
    if (!tumbo::DataFolderThere(used.folder)) {
        return 1;
    }
    instance.Listen();

    std::vector<tumbo::Failure> startFailures;
    if (used.registryFailure) {
        startFailures.push_back(*used.registryFailure);
    }
    tumbo::TForm1 form(*opened.session, clock, startFailures);
    QObject::connect(&instance, &tumbo::SingleInstance::activationRequested, &form,
                     &tumbo::TForm1::BringToFront);
    form.show();
    return QApplication::exec();
}
