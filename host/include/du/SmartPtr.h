#pragma once

#include <du/StandIn.h>
#include <cstddef>
#include <utility>

SXHOST_HEADER_BEGIN

namespace du {

// Intrusive counted pointer. Assignment references the new object before releasing the old one,
// so assigning an object to the pointer that already holds it is safe.
template <typename T>
class SmartPtr {
public:
    SmartPtr() noexcept = default;
    // Null by name: the contract promises a counted pointer that starts empty, not a conversion
    // from nullptr.
    SXHOST_STANDIN_ONLY SmartPtr(std::nullptr_t) noexcept {}
    SmartPtr(T* object) : ptr(object) { Acquire(ptr); }
    SmartPtr(const SmartPtr& other) : ptr(other.ptr) { Acquire(ptr); }
    SmartPtr(SmartPtr&& other) noexcept : ptr(other.ptr) { other.ptr = nullptr; }
    template <typename U>
    SXHOST_STANDIN_ONLY SmartPtr(const SmartPtr<U>& other) : ptr(other.get()) {
        Acquire(ptr);
    }
    ~SmartPtr() { Release(ptr); }

    // Self-assignment is safe: Assign references the new object before releasing the old.
    // NOLINTNEXTLINE(bugprone-unhandled-self-assignment)
    SmartPtr& operator=(const SmartPtr& other) { return Assign(other.ptr); }
    SmartPtr& operator=(SmartPtr&& other) noexcept {
        if (this != &other) {
            T* old = ptr;
            ptr = other.ptr;
            other.ptr = nullptr;
            Release(old);
        }
        return *this;
    }
    SmartPtr& operator=(T* object) { return Assign(object); }
    SXHOST_STANDIN_ONLY SmartPtr& operator=(std::nullptr_t) { return Assign(nullptr); }

    SXHOST_STANDIN_ONLY T* get() const noexcept { return ptr; }
    T* operator->() const noexcept { return ptr; }
    T& operator*() const noexcept { return *ptr; }
    SXHOST_STANDIN_ONLY explicit operator bool() const noexcept { return ptr != nullptr; }
    SXHOST_STANDIN_ONLY void reset() { Assign(nullptr); }

private:
    static void Acquire(T* p) {
        if (p)
            p->AddReference();
    }
    static void Release(T* p) {
        if (p)
            p->RemoveReference();
    }
    SmartPtr& Assign(T* object) {
#if defined(ILLSXMK_DEVIANT_ASSIGN_RELEASES_FIRST)
        // Test-only deviation from the contract: releases the old object first.
        T* old = ptr;
        Release(old);
        ptr = object;
        Acquire(object);
        return *this;
#else
        Acquire(object);
        T* old = ptr;
        ptr = object;
        Release(old);
        return *this;
#endif
    }

    T* ptr = nullptr;
};

template <typename T, typename U>
SXHOST_STANDIN_ONLY bool operator==(const SmartPtr<T>& a, const SmartPtr<U>& b) {
    return a.get() == b.get();
}
template <typename T, typename U>
SXHOST_STANDIN_ONLY bool operator!=(const SmartPtr<T>& a, const SmartPtr<U>& b) {
    return a.get() != b.get();
}
template <typename T>
SXHOST_STANDIN_ONLY bool operator==(const SmartPtr<T>& a, std::nullptr_t) {
    return !a;
}
template <typename T>
SXHOST_STANDIN_ONLY bool operator!=(const SmartPtr<T>& a, std::nullptr_t) {
    return static_cast<bool>(a);
}

// Counted pointer to an object that the holder must not change.
template <typename T>
class ConstSmartPtr {
public:
    ConstSmartPtr() noexcept = default;
    SXHOST_STANDIN_ONLY ConstSmartPtr(std::nullptr_t) noexcept {}
    ConstSmartPtr(const T* object) : ptr(object) { Acquire(ptr); }
    ConstSmartPtr(const ConstSmartPtr& other) : ptr(other.ptr) { Acquire(ptr); }
    ConstSmartPtr(ConstSmartPtr&& other) noexcept : ptr(other.ptr) { other.ptr = nullptr; }
    SXHOST_STANDIN_ONLY ConstSmartPtr(const SmartPtr<T>& other) : ptr(other.get()) { Acquire(ptr); }
    ~ConstSmartPtr() { Release(ptr); }

    // Self-assignment is safe: Assign references the new object before releasing the old.
    // NOLINTNEXTLINE(bugprone-unhandled-self-assignment)
    ConstSmartPtr& operator=(const ConstSmartPtr& other) { return Assign(other.ptr); }
    ConstSmartPtr& operator=(ConstSmartPtr&& other) noexcept {
        if (this != &other) {
            const T* old = ptr;
            ptr = other.ptr;
            other.ptr = nullptr;
            Release(old);
        }
        return *this;
    }
    ConstSmartPtr& operator=(const T* object) { return Assign(object); }
    SXHOST_STANDIN_ONLY ConstSmartPtr& operator=(std::nullptr_t) { return Assign(nullptr); }

    SXHOST_STANDIN_ONLY const T* get() const noexcept { return ptr; }
    const T* operator->() const noexcept { return ptr; }
    const T& operator*() const noexcept { return *ptr; }
    SXHOST_STANDIN_ONLY explicit operator bool() const noexcept { return ptr != nullptr; }
    SXHOST_STANDIN_ONLY void reset() { Assign(nullptr); }

private:
    static void Acquire(const T* p) {
        if (p)
            p->AddReference();
    }
    static void Release(const T* p) {
        if (p)
            p->RemoveReference();
    }
    ConstSmartPtr& Assign(const T* object) {
        Acquire(object);
        const T* old = ptr;
        ptr = object;
        Release(old);
        return *this;
    }

    const T* ptr = nullptr;
};

template <typename T>
SXHOST_STANDIN_ONLY bool operator==(const ConstSmartPtr<T>& a, const ConstSmartPtr<T>& b) {
    return a.get() == b.get();
}
template <typename T>
SXHOST_STANDIN_ONLY bool operator!=(const ConstSmartPtr<T>& a, const ConstSmartPtr<T>& b) {
    return a.get() != b.get();
}

}  // namespace du

SXHOST_HEADER_END
