#include <sxk/Operation.h>
#include <sxk/Scene.h>

namespace sxk {

Operation::Operation(const std::string& operationName, const du::SmartPtr<Scene>& operationScene,
                     bool isUndoable)
    : name(operationName), scene(operationScene), undoable(isUndoable) {}

Operation::~Operation() = default;

void RecordOperation(const du::SmartPtr<Operation>& operation) {
    if (operation)
        RecordedOperations().push_back(operation);
}

std::vector<du::SmartPtr<Operation>>& RecordedOperations() {
    static std::vector<du::SmartPtr<Operation>> history;
    return history;
}

}  // namespace sxk
