// The heap test build's node allocation (ILLSXMK_HOST_NODE_ALLOCATION): the classes whose objects
// the library creates and the viewer frees allocate in the host DLL, on the heap that their
// deleting destructors, emitted here, free into.
#include <sxmk/MarkupData.h>
#include <sxmu/Model.h>
#include <sxmu/RenderAttrsVector.h>

#include <cstddef>
#include <new>

namespace sxmu {

void* ModelBase::operator new(std::size_t size) {
    return ::operator new(size);
}

void ModelBase::operator delete(void* p) noexcept {
    ::operator delete(p);
}

void* RenderAttrsVector::operator new(std::size_t size) {
    return ::operator new(size);
}

void RenderAttrsVector::operator delete(void* p) noexcept {
    ::operator delete(p);
}

}  // namespace sxmu

namespace sxmk {

void* MarkupData::operator new(std::size_t size) {
    return ::operator new(size);
}

void MarkupData::operator delete(void* p) noexcept {
    ::operator delete(p);
}

}  // namespace sxmk
