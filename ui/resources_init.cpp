#include "ui/resources_init.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the registering function where it is used, so it must be used
// outside any namespace.
static void RegisterCompiledPictures() {
    Q_INIT_RESOURCE(resources);
}

namespace tumbo {

void InitResources() {
    static const bool registered = (RegisterCompiledPictures(), true);
    Q_UNUSED(registered);
}

}  // namespace tumbo
