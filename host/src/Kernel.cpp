#include <sxk/HostileViewer.h>
#include <sxk/Kernel.h>

#include <new>
#include <utility>

namespace sxk {

namespace {
Kernel* installed = nullptr;
}

Kernel* Kernel::GetKernel() {
    return installed;
}

Kernel* Kernel::Install() {
    if (!installed)
        installed = new Kernel;
    return installed;
}

void Kernel::Remove() {
    // Uninstalled before the managed objects go, so their destructors see no kernel.
    Kernel* kernel = installed;
    installed = nullptr;
    delete kernel;
}

bool Kernel::ManageObject(const du::SmartPtr<dom::ManagedObject>& object) {
    if (!object)
        return false;
    if (HostileViewer::IsOn(HostileViewer::ManageObjectThrows))
        throw std::bad_alloc();
    managed.push_back(object);
    return true;
}

void Kernel::Unmanage(const dom::ManagedObject* object) {
    for (auto it = managed.begin(); it != managed.end(); ++it) {
        if (it->get() != object)
            continue;
        // Released after the entry is erased: the object's destructor may call back into the
        // kernel.
        du::SmartPtr<dom::ManagedObject> held = std::move(*it);
        managed.erase(it);
        return;
    }
}

}  // namespace sxk
