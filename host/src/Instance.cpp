#include <sxk/Instance.h>
#include <sxk/illustration/SbomInstance.h>

namespace sxk {

const ClassType Instance::CLASS_TYPE{"sxk::Instance", &Object::CLASS_TYPE};
const ClassType ShapeInstance::CLASS_TYPE{"sxk::ShapeInstance", &Object::CLASS_TYPE};

Instance::Instance(const du::Symbol& path) : idPath(path) {}

Instance::~Instance() = default;

const ClassType* Instance::GetClassType() const {
    return &CLASS_TYPE;
}

du::SmartPtr<illustration::SbomInstance> Instance::GetSbomInstance() const {
    return sbomInstance;
}

void Instance::SetSbomInstance(const du::SmartPtr<illustration::SbomInstance>& sbom) {
    sbomInstance = sbom;
}

ShapeInstance::ShapeInstance(const du::SmartPtr<Instance>& inst) : instance(inst) {}

ShapeInstance::~ShapeInstance() = default;

const ClassType* ShapeInstance::GetClassType() const {
    return &CLASS_TYPE;
}

SelectionItem::SelectionItem() = default;

SelectionItem::~SelectionItem() = default;

ObjectSelectionItem::ObjectSelectionItem(const du::SmartPtr<Object>& obj) : object(obj) {}

ObjectSelectionItem::~ObjectSelectionItem() = default;

namespace illustration {

Weld::Weld(const du::Symbol& path) : idPath(path) {}

Weld::~Weld() = default;

SbomInstance::SbomInstance(const du::Symbol& path) : idPath(path) {}

SbomInstance::~SbomInstance() = default;

du::SmartPtr<SelectionItem> SbomInstanceSelectionItem::Create(
    const du::SmartPtr<SbomInstance>& instance) {
    // The pool's operator new answers null rather than throwing; nothing is constructed then.
    SbomInstanceSelectionItem* item = new SbomInstanceSelectionItem(instance);
    return du::SmartPtr<SelectionItem>(item);
}

SbomInstanceSelectionItem::SbomInstanceSelectionItem(const du::SmartPtr<SbomInstance>& instance)
    : sbomInstance(instance) {}

SbomInstanceSelectionItem::~SbomInstanceSelectionItem() = default;

}  // namespace illustration
}  // namespace sxk
