// The centre line's shadow factory.
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>

#include <new>

namespace sxmk {

sxk::Markup* CenterLineXYZ::ConstructShadow(const du::SmartPtr<sxk::View>& view) {
    void* memory = sxk::MemoryPoolAllocated::operator new(sizeof(CenterLineXYZShadow));
    if (!memory)
        return nullptr;
    try {
        // The new shadow is unreferenced: the caller takes the first reference.
        return ::new (memory) CenterLineXYZShadow(view, this);
    } catch (...) {
        sxk::MemoryPoolAllocated::operator delete(memory, sizeof(CenterLineXYZShadow));
        throw;
    }
}

}  // namespace sxmk
