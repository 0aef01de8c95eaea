#pragma once

#include <du/Export.h>
#include <du/StandIn.h>
#include <sxk/Scene.h>
#include <sxmu/Model.h>

SXHOST_HEADER_BEGIN

namespace sxk {
namespace illustration {

// The scene of the technical-illustration mode; it sets the minimum size of callout notes.
class SXHOST_API Illustration3dScene : public Scene {
public:
    SXHOST_STANDIN_ONLY Illustration3dScene();
    ~Illustration3dScene() override;

    sxmu::ModelNote::MinimumSize GetMinCalloutSize() const { return minCalloutSize; }
    SXHOST_STANDIN_ONLY void SetMinCalloutSize(sxmu::ModelNote::MinimumSize size) {
        minCalloutSize = size;
    }

private:
    sxmu::ModelNote::MinimumSize minCalloutSize = sxmu::ModelNote::MinimumSizeSmall;
};

}  // namespace illustration
}  // namespace sxk

SXHOST_HEADER_END
