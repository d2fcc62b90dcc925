#include <QApplication>

#include "app/application_setup.h"
#include "app/tform1.h"
#include "platform/clock.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The title bar shows the window's own caption only: Qt would add a display name to it.
    QApplication::setDesktopFileName("org.example.tumbo3");
    SetUpApplication();
    tumbo::SystemClock clock;
    TForm1 form(TUMBO_REGISTRY_FILE, clock);
    form.show();
    return QApplication::exec();
}
