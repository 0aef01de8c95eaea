#pragma once

#include <du/Export.h>
#include <du/StandIn.h>
#include <sxk/Object.h>

#include <string>
#include <vector>

SXHOST_HEADER_BEGIN

namespace sxk {

class Scene;

// One undoable step of the viewer, known by its (localised) name.
class SXHOST_API Operation : public Object {
public:
    Operation(const std::string& name, const du::SmartPtr<Scene>& scene, bool undoable);
    ~Operation() override;

    void Rename(const std::string& newName) { name = newName; }
    SXHOST_STANDIN_ONLY const std::string& GetName() const { return name; }
    SXHOST_STANDIN_ONLY Scene* GetScene() const { return scene.get(); }
    SXHOST_STANDIN_ONLY bool IsUndoable() const { return undoable; }

private:
    std::string name;
    du::SmartPtr<Scene> scene;
    bool undoable;
};

// Appends the operation to the viewer's operation history.
SXHOST_API void RecordOperation(const du::SmartPtr<Operation>& operation);
// The history, oldest first. Tests clear it.
SXHOST_STANDIN_ONLY SXHOST_API std::vector<du::SmartPtr<Operation>>& RecordedOperations();

}  // namespace sxk

SXHOST_HEADER_END
