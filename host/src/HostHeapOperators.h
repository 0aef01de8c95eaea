#pragma once

// The global allocation functions on the host's heap, every form. Included once per module that
// allocates there: the host DLL itself, and in the build that models one C runtime shared with
// the viewer, the library.

#include <du/HostHeap.h>

#include <cstddef>
#include <cstdint>
#include <new>

namespace {

void* AllocateOrThrow(std::size_t size) {
    for (;;) {
        if (void* p = du::HostHeap::Allocate(size))
            return p;
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}

void* AllocateNoThrow(std::size_t size) noexcept {
    try {
        return AllocateOrThrow(size);
    } catch (...) {
        return nullptr;
    }
}

// Over-aligned blocks: the heap block's address is kept just before the aligned one.
void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    const std::size_t align = static_cast<std::size_t>(alignment);
    char* raw = static_cast<char*>(AllocateOrThrow(size + align + sizeof(void*)));
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw + sizeof(void*));
    char* aligned = reinterpret_cast<char*>((start + align - 1) & ~(std::uintptr_t{align} - 1));
    reinterpret_cast<void**>(aligned)[-1] = raw;
    return aligned;
}

void* AllocateAlignedNoThrow(std::size_t size, std::align_val_t alignment) noexcept {
    try {
        return AllocateAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

void FreeAligned(void* p) noexcept {
    if (p != nullptr)
        du::HostHeap::Free(static_cast<void**>(p)[-1]);
}

}  // namespace

void* operator new(std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAlignedNoThrow(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateAlignedNoThrow(size, alignment);
}

void operator delete(void* p) noexcept {
    du::HostHeap::Free(p);
}
void operator delete[](void* p) noexcept {
    du::HostHeap::Free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    du::HostHeap::Free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    du::HostHeap::Free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    du::HostHeap::Free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    du::HostHeap::Free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    FreeAligned(p);
}
