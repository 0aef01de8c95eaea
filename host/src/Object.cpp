#include <sxk/Object.h>

namespace sxk {

const ClassType Object::CLASS_TYPE{"sxk::Object", nullptr};

Object::Object() = default;

Object::~Object() = default;

const ClassType* Object::GetClassType() const {
    return &CLASS_TYPE;
}

bool Object::IsATypeOfId(const ClassType* type) const {
    if (!type)
        return false;
    for (const ClassType* t = GetClassType(); t; t = t->parent)
        if (t == type)
            return true;
    return false;
}

std::vector<const ClassType*> Object::GetClassTypes() const {
    std::vector<const ClassType*> types;
    for (const ClassType* t = GetClassType(); t; t = t->parent)
        types.push_back(t);
    return types;
}

// A plain object has nowhere to keep user data.
bool Object::AddUserData(const du::Symbol&, void*) {
    return false;
}

void* Object::GetUserData(const du::Symbol&) const {
    return nullptr;
}

bool Object::RemoveUserData(const du::Symbol&) {
    return false;
}

std::string Object::GetObjectDescription() const {
    return GetClassType()->name;
}

std::string Object::GetObjectName() const {
    return std::string();
}

bool Object::AddRefCountedUserData(const du::Symbol&, const du::SmartPtr<du::RefCounted>&) {
    return false;
}

du::SmartPtr<du::RefCounted> Object::GetRefCountedUserData(const du::Symbol&) const {
    return nullptr;
}

ObjectWithRWLock::ObjectWithRWLock() = default;

ObjectWithRWLock::~ObjectWithRWLock() = default;

bool ObjectWithRWLock::AddUserData(const du::Symbol& key, void* data) {
    return userData.emplace(key.str(), data).second;
}

void* ObjectWithRWLock::GetUserData(const du::Symbol& key) const {
    const auto it = userData.find(key.str());
    return it == userData.end() ? nullptr : it->second;
}

bool ObjectWithRWLock::RemoveUserData(const du::Symbol& key) {
    // Either kind of user data under this key.
    const bool plain = userData.erase(key.str()) > 0;
    const auto it = refCountedUserData.find(key.str());
    if (it == refCountedUserData.end())
        return plain;
    // Released after the entry is gone, so a destructor that looks at this object's user data
    // does not see a half-removed entry.
    du::SmartPtr<du::RefCounted> held = std::move(it->second);
    refCountedUserData.erase(it);
    return true;
}

bool ObjectWithRWLock::AddRefCountedUserData(const du::Symbol& key,
                                             const du::SmartPtr<du::RefCounted>& data) {
    if (!data)
        return false;
    return refCountedUserData.emplace(key.str(), data).second;
}

du::SmartPtr<du::RefCounted> ObjectWithRWLock::GetRefCountedUserData(const du::Symbol& key) const {
    const auto it = refCountedUserData.find(key.str());
    return it == refCountedUserData.end() ? du::SmartPtr<du::RefCounted>() : it->second;
}

}  // namespace sxk
