#include "DragOperation.h"

#include <du/Localizer.h>

#include "PoolNew.h"
#include "ViewerAdapter.h"

namespace sxmk {
namespace detail {

const char* const kHarborAppStrings = "sxplugins/harborstartup:harborAppStrings";
const char* const kModulesStrings = "sxbase:sxmodulesStrings";
const char* const kMoveExtensionKey = "MoveExtentionDragger";
const char* const kMoveJogKey = "MoveJogDragger";
const char* const kMoveEndPointKey = "MoveEndPointDragger";
const char* const kMoveCalloutKey = "99";
const char* const kMoveMarkupsKey = "97";

du::SmartPtr<sxk::Scene> SceneOf(const du::SmartPtr<sxk::View>& view) {
    du::SmartPtr<sxk::Scene> scene;
    if (IsSet(view))
        scene = view->GetScene();
    return scene;
}

du::SmartPtr<sxk::Operation> CreateDragOperation(const du::SmartPtr<sxk::Scene>& scene,
                                                 const char* catalog, const char* key) {
    // Null when the pool has no memory: the drag goes on with a null operation.
    const std::string name = du::Localizer(catalog).LocalizeMessage(key, 0);
    return du::SmartPtr<sxk::Operation>(PoolNew<sxk::Operation>(name, scene, true));
}

void RenameDragOperation(const du::SmartPtr<sxk::Operation>& operation, const char* catalog,
                         const char* key) {
    if (!IsSet(operation))
        return;
    operation->Rename(du::Localizer(catalog).LocalizeMessage(key, 0));
}

}  // namespace detail
}  // namespace sxmk
