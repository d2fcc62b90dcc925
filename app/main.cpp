#include <QApplication>

#include "app/default_error_box.h"
#include "app/tform1.h"
#include "platform/clock.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(kApplicationTitle);
    // Names the desktop entry, which also keeps Qt from adding the name to the title.
    QApplication::setDesktopFileName("org.example.tumbo3");
    tumbo::SystemClock clock;
    TForm1 form(TUMBO_REGISTRY_FILE, clock);
    form.show();
    return QApplication::exec();
}
