#pragma once

#include <du/Export.h>
#include <du/RefCounted.h>

namespace sxk {

// A scene of the viewer.
class SXHOST_API Scene : public virtual du::RefCounted {
public:
    Scene();
    ~Scene() override;
};

}  // namespace sxk
