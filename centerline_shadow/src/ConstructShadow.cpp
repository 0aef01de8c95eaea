// The centre line's shadow factory.
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>

#include "PoolNew.h"

namespace sxmk {

sxk::Markup* CenterLineXYZ::ConstructShadow(const du::SmartPtr<sxk::View>& view) {
    // The new shadow is unreferenced: the caller takes the first reference.
    return detail::PoolNew<CenterLineXYZShadow>(view, this);
}

}  // namespace sxmk
