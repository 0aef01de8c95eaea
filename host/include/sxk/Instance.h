#pragma once

#include <du/Export.h>
#include <du/StandIn.h>
#include <du/Symbol.h>
#include <sxk/Object.h>

SXHOST_HEADER_BEGIN

namespace sxk {
namespace illustration {
class SbomInstance;
}

// An instance of a part in the product structure, known by its ID path. The viewer's contract
// names its members (GetSbomInstance, GetIDPath) but not the class: the library reaches it only
// through what ShapeInstance::GetInstance answers.
class SXHOST_STANDIN_ONLY SXHOST_API Instance : public Object {
public:
    SXHOST_STANDIN_ONLY static const ClassType CLASS_TYPE;

    SXHOST_STANDIN_ONLY explicit Instance(const du::Symbol& idPath);
    ~Instance() override;

    const ClassType* GetClassType() const override;
    du::Symbol GetIDPath() const { return idPath; }
    du::SmartPtr<illustration::SbomInstance> GetSbomInstance() const;
    SXHOST_STANDIN_ONLY void SetSbomInstance(const du::SmartPtr<illustration::SbomInstance>& sbom);

private:
    du::Symbol idPath;
    du::SmartPtr<illustration::SbomInstance> sbomInstance;
};

// The drawn shape of an instance: what a pick hits.
class SXHOST_API ShapeInstance : public Object {
public:
    static const ClassType CLASS_TYPE;

    SXHOST_STANDIN_ONLY explicit ShapeInstance(const du::SmartPtr<Instance>& instance);
    ~ShapeInstance() override;

    const ClassType* GetClassType() const override;
    du::SmartPtr<Instance> GetInstance() const { return instance; }

private:
    du::SmartPtr<Instance> instance;
};

// Something that can be selected.
class SXHOST_API SelectionItem : public Object {
public:
    SXHOST_STANDIN_ONLY SelectionItem();
    ~SelectionItem() override;
};

// The selection of one object.
class SXHOST_API ObjectSelectionItem : public SelectionItem {
public:
    explicit ObjectSelectionItem(const du::SmartPtr<Object>& object);
    ~ObjectSelectionItem() override;

    SXHOST_STANDIN_ONLY du::SmartPtr<Object> GetObject() const { return object; }

private:
    du::SmartPtr<Object> object;
};

}  // namespace sxk

SXHOST_HEADER_END
