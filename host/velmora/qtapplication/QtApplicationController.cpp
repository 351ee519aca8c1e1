#include "velmora/qtapplication/QtApplicationController.h"

namespace velmora::qtapplication {

QtApplicationController* QtApplicationController::instance()
{
    static QtApplicationController controller;
    return &controller;
}

QtApplication* QtApplicationController::getQtApplication() const
{
    return application;
}

void QtApplicationController::setQtApplication(QtApplication* app)
{
    application = app;
}

} // namespace velmora::qtapplication
