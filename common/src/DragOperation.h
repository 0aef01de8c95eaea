#pragma once

#include <du/SmartPtr.h>
#include <sxk/Operation.h>
#include <sxk/Scene.h>
#include <sxk/View.h>

namespace sxmk {
namespace detail {

// Message catalogs of the drag operation names.
extern const char* const kHarborAppStrings;  // "sxplugins/harborstartup:harborAppStrings"
extern const char* const kModulesStrings;    // "sxbase:sxmodulesStrings"

// Keys of the operation names. In kHarborAppStrings: every centre-line stop (the first name), a
// jog, a dropped end point. In kModulesStrings: a callout drag alone, and a drag that moved other
// markups along with the dragged one.
extern const char* const kMoveExtensionKey;  // "MoveExtentionDragger"
extern const char* const kMoveJogKey;        // "MoveJogDragger"
extern const char* const kMoveEndPointKey;   // "MoveEndPointDragger"
extern const char* const kMoveCalloutKey;    // "99"
extern const char* const kMoveMarkupsKey;    // "97"

// The scene of a shadow's view, where a drag's operation belongs; null without a view.
du::SmartPtr<sxk::Scene> SceneOf(const du::SmartPtr<sxk::View>& view);

// Creates the undoable operation of a finished drag from the host pool, named by the localised
// message key of the catalog. Null when the pool has no memory; the caller goes on with it.
du::SmartPtr<sxk::Operation> CreateDragOperation(const du::SmartPtr<sxk::Scene>& scene,
                                                 const char* catalog, const char* key);
// Renames an operation to the localised message key of the catalog; nothing for null.
void RenameDragOperation(const du::SmartPtr<sxk::Operation>& operation, const char* catalog,
                         const char* key);

}  // namespace detail
}  // namespace sxmk
