#pragma once

#include <dom/ManagedObject.h>
#include <du/Export.h>
#include <du/SmartPtr.h>

#include <vector>

namespace sxk {

// The viewer's kernel. Tests install and remove it; GetKernel answers null when none is
// installed.
class SXHOST_API Kernel {
public:
    static Kernel* GetKernel();
    static Kernel* Install();
    static void Remove();

    // Keeps the object alive until it is released with Unmanage.
    bool ManageObject(const du::SmartPtr<dom::ManagedObject>& object);
    void Unmanage(const dom::ManagedObject* object);

    std::vector<du::SmartPtr<dom::ManagedObject>> managed;
};

}  // namespace sxk
