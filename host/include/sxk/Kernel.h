#pragma once

#include <dom/ManagedObject.h>
#include <du/Export.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>

#include <vector>

SXHOST_HEADER_BEGIN

namespace sxk {

// The viewer's kernel. Tests install and remove it; GetKernel answers null when none is
// installed.
class SXHOST_API Kernel {
public:
    static Kernel* GetKernel();
    SXHOST_STANDIN_ONLY static Kernel* Install();
    SXHOST_STANDIN_ONLY static void Remove();

    // Keeps the object alive until it is released with Unmanage.
    bool ManageObject(const du::SmartPtr<dom::ManagedObject>& object);
    SXHOST_STANDIN_ONLY void Unmanage(const dom::ManagedObject* object);

    SXHOST_STANDIN_ONLY std::vector<du::SmartPtr<dom::ManagedObject>> managed;
};

}  // namespace sxk

SXHOST_HEADER_END
