#include "app/resources_init.h"

#include <QtGlobal>

void InitResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}
