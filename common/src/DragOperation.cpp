#include "DragOperation.h"

#include <du/Localizer.h>

namespace sxmk {
namespace detail {

const char* const kHarborAppStrings = "sxplugins/harborstartup:harborAppStrings";
const char* const kModulesStrings = "sxbase:sxmodulesStrings";
const char* const kMoveMarkupsKey = "97";

du::SmartPtr<sxk::Operation> CreateDragOperation(const du::SmartPtr<sxk::Scene>& scene,
                                                 const char* catalog, const char* key) {
    // The pool's operator new returns null when it has no memory; the new-expression then
    // constructs nothing and the drag goes on with a null operation.
    const std::string name = du::Localizer(catalog).LocalizeMessage(key, 0);
    return du::SmartPtr<sxk::Operation>(new sxk::Operation(name, scene, true));
}

void RenameDragOperation(const du::SmartPtr<sxk::Operation>& operation, const char* catalog,
                         const char* key) {
    if (!operation)
        return;
    operation->Rename(du::Localizer(catalog).LocalizeMessage(key, 0));
}

}  // namespace detail
}  // namespace sxmk
