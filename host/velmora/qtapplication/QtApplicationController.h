#pragma once

#include "velmora/Export.h"

namespace velmora::qtapplication {

class QtApplication;

// Process-wide access to the host's QtApplication.
class VELMORA_EXPORT QtApplicationController
{
public:
    static QtApplicationController* instance();

    // Null until the host has set one.
    QtApplication* getQtApplication() const;
    // The host keeps ownership and clears it (nullptr) before destroying it.
    void setQtApplication(QtApplication* application);

private:
    QtApplicationController() = default;
    QtApplication* application = nullptr;
};

} // namespace velmora::qtapplication
