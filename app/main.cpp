#include <QApplication>

#include <memory>
#include <vector>

#include "app/application_setup.h"
#include "app/base_setup.h"
#include "app/default_error_box.h"
#include "app/first_start.h"
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
    // Declared first, the session outlives the window that shows it.
    tumbo::Opened opened;
    std::unique_ptr<tumbo::TForm1> form;
    // A first start shows its splash at once and installs the base behind it.
    if (tumbo::BaseToInstall(settings.bundled, used.folder)) {
        form = std::make_unique<tumbo::TForm1>(clock);
        form->show();
        opened = tumbo::OpenBehindSplash(*form, [&](const auto& progress) {
            settings.installProgress = progress;
            return tumbo::Session::Open(used.folder, settings);
        });
        if (form->isHidden()) {
            tumbo::PrintOpening(opened);
            return 0;
        }
    } else {
        opened = tumbo::Session::Open(used.folder, settings);
    }
    tumbo::PrintOpening(opened);
    tumbo::SingleInstance instance(used.folder);
    if (opened.heldElsewhere || opened.refused || !opened.session) {
        form.reset();
    }
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
    if (form != nullptr && !opened.warnings.empty() &&
        tumbo::BaseToInstall(settings.bundled, used.folder)) {
        // The install failed: the box gives its words rather than those of a missing folder.
        form.reset();
        const tumbo::Failure& failed = opened.warnings.front();
        tumbo::ShowDefaultErrorBox(failed.message, failed.context + "\n" + failed.details);
        return 1;
    }
    if (!tumbo::DataFolderThere(used.folder)) {
        form.reset();
        return 1;
    }
    instance.Listen();

    std::vector<tumbo::Failure> startFailures;
    if (used.registryFailure) {
        startFailures.push_back(*used.registryFailure);
    }
    if (form != nullptr) {
        form->Attach(*opened.session, startFailures);
    } else {
        form = std::make_unique<tumbo::TForm1>(*opened.session, clock, startFailures);
    }
    QObject::connect(&instance, &tumbo::SingleInstance::activationRequested, form.get(),
                     &tumbo::TForm1::BringToFront);
    form->show();
    return QApplication::exec();
}
