#pragma once

#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/StandIn.h>

SXHOST_HEADER_BEGIN

namespace sxk {

// A scene of the viewer.
class SXHOST_API Scene : public virtual du::RefCounted {
public:
    SXHOST_STANDIN_ONLY Scene();
    ~Scene() override;
};

}  // namespace sxk

SXHOST_HEADER_END
