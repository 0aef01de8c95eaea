#pragma once

#include <du/Export.h>
#include <du/StandIn.h>
#include <sxmk/Markup.h>
#include <sxmu/Model.h>

#include <vector>

SXHOST_HEADER_BEGIN

namespace sxmk {

// A markup drawn as a polyline; it owns its point list.
class SXHOST_API LeaderLine : public Markup {
public:
    LeaderLine();
    ~LeaderLine() override;

    // The markup's own point list: writes through it change the stored list.
    std::vector<dg::DPoint3D>* GetPoints() { return &pointList; }
    SXHOST_STANDIN_ONLY const std::vector<dg::DPoint3D>* GetPoints() const { return &pointList; }
    void AppendPoint(const dg::DPoint3D& p) { pointList.push_back(p); }

    // The node the markup hangs from; its position is the markup's reference point.
    du::SmartPtr<sxmu::ModelBase> anchorNode;

private:
    std::vector<dg::DPoint3D> pointList;
};

}  // namespace sxmk

SXHOST_HEADER_END
