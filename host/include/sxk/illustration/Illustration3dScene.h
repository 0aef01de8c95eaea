#pragma once

#include <du/Export.h>
#include <sxk/Scene.h>
#include <sxmu/Model.h>

namespace sxk {
namespace illustration {

// The scene of the technical-illustration mode; it sets the minimum size of callout notes.
class SXHOST_API Illustration3dScene : public Scene {
public:
    Illustration3dScene();
    ~Illustration3dScene() override;

    sxmu::ModelNote::MinimumSize GetMinCalloutSize() const { return minCalloutSize; }
    void SetMinCalloutSize(sxmu::ModelNote::MinimumSize size) { minCalloutSize = size; }

private:
    sxmu::ModelNote::MinimumSize minCalloutSize = sxmu::ModelNote::MinimumSizeSmall;
};

}  // namespace illustration
}  // namespace sxk
