#pragma once

// Objects of the viewer's memory pool. The pool's operator new returns null when it has no memory,
// and the viewer may declare it without noexcept, in which case a new-expression would not test
// the result and would construct at address 0. So memory is taken explicitly, tested, and the
// object constructed in it; a constructor that throws gives the memory back.
#include <sxk/MemoryPoolAllocated.h>

#include <new>
#include <utility>

namespace sxmk {
namespace detail {

// A new T in the pool (its reference count 0), or null when the pool has no memory.
template <typename T, typename... Args>
T* PoolNew(Args&&... args) {
    void* memory = sxk::MemoryPoolAllocated::operator new(sizeof(T));
    if (memory == nullptr)
        return nullptr;
    try {
        return ::new (memory) T(std::forward<Args>(args)...);
    } catch (...) {
        sxk::MemoryPoolAllocated::operator delete(memory, sizeof(T));
        throw;
    }
}

}  // namespace detail
}  // namespace sxmk
