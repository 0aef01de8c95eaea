#pragma once

#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>
#include <du/Symbol.h>
#include <sxk/MemoryPoolAllocated.h>

#include <map>
#include <string>
#include <vector>

SXHOST_HEADER_BEGIN

namespace sxk {

// Run-time class description: a name and the parent class.
struct ClassType {
    SXHOST_STANDIN_ONLY const char* name;
    SXHOST_STANDIN_ONLY const ClassType* parent;
};

// Root of the kernel's objects: pool-allocated and reference counted.
class SXHOST_API Object : public MemoryPoolAllocated, public virtual du::RefCounted {
public:
    SXHOST_STANDIN_ONLY static const ClassType CLASS_TYPE;

    SXHOST_STANDIN_ONLY Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    ~Object() override;

    virtual const ClassType* GetClassType() const;
    virtual bool IsATypeOfId(const ClassType* type) const;
    virtual std::vector<const ClassType*> GetClassTypes() const;
    virtual bool AddUserData(const du::Symbol& key, void* data);
    virtual void* GetUserData(const du::Symbol& key) const;
    virtual bool RemoveUserData(const du::Symbol& key);
    virtual std::string GetObjectDescription() const;
    virtual std::string GetObjectName() const;

    bool IsATypeOf(const ClassType& type) const { return IsATypeOfId(&type); }

protected:
    virtual bool AddRefCountedUserData(const du::Symbol& key,
                                       const du::SmartPtr<du::RefCounted>& data);
    virtual du::SmartPtr<du::RefCounted> GetRefCountedUserData(const du::Symbol& key) const;
};

// An object with attached user data (the viewer guards it with a lock; this stand-in is
// single-threaded).
class SXHOST_API ObjectWithRWLock : public Object {
public:
    SXHOST_STANDIN_ONLY ObjectWithRWLock();
    ~ObjectWithRWLock() override;

    bool AddUserData(const du::Symbol& key, void* data) override;
    void* GetUserData(const du::Symbol& key) const override;
    bool RemoveUserData(const du::Symbol& key) override;

protected:
    bool AddRefCountedUserData(const du::Symbol& key,
                               const du::SmartPtr<du::RefCounted>& data) override;
    du::SmartPtr<du::RefCounted> GetRefCountedUserData(const du::Symbol& key) const override;

private:
    std::map<std::string, void*> userData;
    std::map<std::string, du::SmartPtr<du::RefCounted>> refCountedUserData;
};

}  // namespace sxk

SXHOST_HEADER_END
