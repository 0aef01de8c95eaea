#pragma once

// A test fixture with a view, a centre-line record and its shadow.
//
//   class MyTest : public testsupport::CenterLineFixture {};
//   TEST_F(MyTest, Something) {
//       MakeShadow(StraightLine({0, 0, 0}, {10, 0, 0}, 2.0f, 2.0f));
//       const sxmu::ModelContainer* root = DrawnRoot();
//       ...
//   }
//
// Everything the fixture holds is released in ReleaseAll, before HostFixture checks that the
// pool and the reference counts are back where they started; a test that keeps further
// objects in its own members overrides ReleaseAll and calls this one too.

#include "CenterLineXYZShadowTestAccess.h"
#include "HostFixture.h"
#include "LineInput.h"
#include "PointPrinting.h"

#include <dg/Camera3D.h>
#include <sxk/Preferences.h>
#include <sxk/Scene.h>
#include <sxk/View.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>
#include <sxmk/MarkupData.h>
#include <sxmu/Model.h>

#include <cstddef>
#include <vector>

namespace testsupport {

class CenterLineFixture : public HostFixture {
protected:
    using Access = sxmk::CenterLineXYZShadowTestAccess;
    using Shadow = sxmk::CenterLineXYZShadow;

    void SetUp() override {
        HostFixture::SetUp();
        MakeView();
    }

    void ReleaseAll() override {
        handleNodes = DrawnHandles();
        shadow = nullptr;
        record = nullptr;
        view = nullptr;
        window = nullptr;
        scene = nullptr;
        preferences = nullptr;
    }

    // A shape view with a perspective camera on the origin from +Z, its own window and scene,
    // and empty default preferences (no preselection colour).
    void MakeView() {
        view = new sxk::ShapeView;
        view->camera = dg::Camera3D::Perspective(dg::DPoint3D(0.0, 0.0, 40.0), dg::DPoint3D::ORIGIN,
                                                 dg::DVec3(0.0, 1.0, 0.0), 0.8, 800, 600);
        window = new sxk::Window;
        scene = new sxk::Scene;
        preferences = new sxk::Preferences;
        view->window = window;
        view->scene = scene;
        view->defaultPreferences = preferences;
    }

    // A new record filled from lineInput with BuildPoints and SetPoints.
    du::SmartPtr<sxmk::CenterLineXYZ> MakeRecord(const LineInput& lineInput) {
        du::SmartPtr<sxmk::CenterLineXYZ> made(new sxmk::CenterLineXYZ);
        std::vector<dg::DPoint3D> list;
        made->BuildPoints(lineInput.start, lineInput.end, lineInput.alongAxis, lineInput.startExt,
                          lineInput.endExt, lineInput.ratio, lineInput.frame, lineInput.axisOrder,
                          list);
        made->SetPoints(list);
        return made;
    }

    // record := a new record of lineInput; shadow := its shadow in view (null if the pool failed);
    // handleNodes := its handles as drawn.
    void MakeShadow(const LineInput& lineInput) {
        shadow = nullptr;
        record = MakeRecord(lineInput);
        shadow = ConstructFor(record);
        FindHandles();
    }

    // A new shadow of the record in view, as the viewer takes it (the first reference).
    du::SmartPtr<Shadow> ConstructFor(const du::SmartPtr<sxmk::CenterLineXYZ>& line) {
        return du::SmartPtr<Shadow>(
            static_cast<Shadow*>(line->ConstructShadow(du::SmartPtr<sxk::View>(view))));
    }

    // The container the viewer draws for a shadow: the model node of its content, as the host
    // recorded it with SetContent.
    static const sxmu::ModelContainer* DrawnRoot(const Shadow& s) {
        const sxmk::MarkupData* content = s.GetContent();
        return content ? dynamic_cast<const sxmu::ModelContainer*>(content->GetModelBase().get())
                       : nullptr;
    }
    const sxmu::ModelContainer* DrawnRoot() const { return DrawnRoot(*shadow); }
    // The line the viewer draws for a shadow: the line strip among its drawn children.
    static sxmu::ModelLineStrip* DrawnLine(const Shadow& s) {
        const sxmu::ModelContainer* root = DrawnRoot(s);
        if (root == nullptr)
            return nullptr;
        for (const auto& child : root->GetChildren())
            if (auto* line = dynamic_cast<sxmu::ModelLineStrip*>(child.get()))
                return line;
        return nullptr;
    }

    // The drawn children, head first.
    std::vector<const sxmu::ModelBase*> Children() const {
        std::vector<const sxmu::ModelBase*> out;
        for (const auto& child : DrawnRoot()->GetChildren())
            out.push_back(child.get());
        return out;
    }

    // The handles of a shadow at rest as the viewer finds them among the drawn children, by kind
    // and place: an end sphere is the sphere at the record's start (end) point; an extension
    // arrow is the arrow based at the drawn line's first (last) point; the jog arrow is the other
    // arrow. A handle that is not drawn (a jog arrow that does not apply) or stands away from its
    // place is null, so a test that expects it fails. Finding allocates nothing.
    struct DrawnHandles {
        sxmu::ModelBase* startSphere = nullptr;
        sxmu::ModelBase* endSphere = nullptr;
        sxmu::ModelBase* startArrow = nullptr;
        sxmu::ModelBase* endArrow = nullptr;
        sxmu::ModelBase* jogArrow = nullptr;
    };
    static DrawnHandles FindHandles(const Shadow& s, const sxmk::CenterLineXYZ& line) {
        DrawnHandles found;
        const sxmu::ModelContainer* root = DrawnRoot(s);
        const sxmu::ModelLineStrip* strip = DrawnLine(s);
        if (root == nullptr || strip == nullptr)
            return found;
        const std::vector<dg::DPoint3D>& drawn = strip->points;
        // Spheres and extension arrows by place; a node taken for one end is not taken again.
        for (const auto& child : root->GetChildren()) {
            sxmu::ModelBase* node = child.get();
            const dg::DPoint3D& at = node->location.GetPos();
            if (dynamic_cast<sxmu::ModelSphere*>(node) != nullptr) {
                if (found.startSphere == nullptr && at == line.GetStartPoint())
                    found.startSphere = node;
                else if (found.endSphere == nullptr && at == line.GetEndPoint())
                    found.endSphere = node;
            } else if (dynamic_cast<sxmu::ModelLeaderLine*>(node) != nullptr && !drawn.empty()) {
                if (found.startArrow == nullptr && at == drawn.front())
                    found.startArrow = node;
                else if (found.endArrow == nullptr && at == drawn.back())
                    found.endArrow = node;
            }
        }
        for (const auto& child : root->GetChildren()) {
            sxmu::ModelBase* node = child.get();
            if (dynamic_cast<sxmu::ModelLeaderLine*>(node) != nullptr && node != found.startArrow &&
                node != found.endArrow)
                found.jogArrow = node;
        }
        return found;
    }
    // handleNodes := the handles of shadow as drawn now. MakeShadow does this; a test that builds
    // the shadow otherwise, or rebuilds it, finds them again at rest: the nodes are held by the
    // shadow only, and a rebuild releases them.
    void FindHandles() {
        handleNodes = shadow && record ? FindHandles(*shadow, *record) : DrawnHandles();
    }

    // Display nodes of the shadow by handle, as found at rest: a handle that a drag hides or
    // moves later is still the same node.
    const sxmu::ModelBase* StartSphere() const { return handleNodes.startSphere; }
    const sxmu::ModelBase* EndSphere() const { return handleNodes.endSphere; }
    const sxmu::ModelBase* StartArrow() const { return handleNodes.startArrow; }
    const sxmu::ModelBase* EndArrow() const { return handleNodes.endArrow; }
    const sxmu::ModelBase* JogArrow() const { return handleNodes.jogArrow; }
    const sxmu::ModelBase* Line() const { return DrawnLine(*shadow); }

    // The drawn arrows (extension and jog arrows alike).
    std::size_t DrawnArrows() const {
        std::size_t count = 0;
        for (const auto& child : DrawnRoot()->GetChildren())
            count += dynamic_cast<const sxmu::ModelLeaderLine*>(child.get()) != nullptr ? 1 : 0;
        return count;
    }

    // What a handle draws with: a sphere's render set and fill; an arrow's line set, and its
    // head's set and fill.
    struct Look {
        const sxmu::RenderAttrsVector* line = nullptr;
        const sxmu::RenderAttrsVector* head = nullptr;
        const attrs::FillAttr* fill = nullptr;
        bool operator==(const Look& o) const {
            return line == o.line && head == o.head && fill == o.fill;
        }
        bool operator!=(const Look& o) const { return !(*this == o); }
    };
    static Look LookOf(const sxmu::ModelBase* node) {
        Look look;
        if (node == nullptr)
            return look;
        look.line = node->GetRenderAttrsVector().get();
        if (const auto* sphere = dynamic_cast<const sxmu::ModelSphere*>(node)) {
            look.fill = sphere->fillAttrs.get();
        } else if (const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(node)) {
            if (const sxmu::ModelArrowhead* head = arrow->GetArrowHead().get()) {
                look.head = head->GetRenderAttrsVector().get();
                look.fill = head->fillAttrs.get();
            }
        }
        return look;
    }

    // The look a handle shows while highlighted: highlight it, read, clear.
    Look HighlightedLook(const sxmu::ModelBase* node) {
        shadow->PreselectHighlight(
            du::SmartPtr<sxmu::ModelBase>(const_cast<sxmu::ModelBase*>(node)));
        const Look look = LookOf(node);
        shadow->ClearPreselectHighlight();
        return look;
    }

    // The children of a freshly built shadow, head first.
    std::vector<const sxmu::ModelBase*> BuiltOrder(bool withJog) const {
        const DrawnHandles& h = handleNodes;
        std::vector<const sxmu::ModelBase*> out;
        if (withJog)
            out.push_back(h.jogArrow);
        for (const sxmu::ModelBase* node : {h.endSphere, h.startSphere, h.endArrow, h.startArrow})
            out.push_back(node);
        out.push_back(Line());
        return out;
    }

    du::SmartPtr<sxk::ShapeView> view;
    du::SmartPtr<sxk::Window> window;
    du::SmartPtr<sxk::Scene> scene;
    du::SmartPtr<sxk::Preferences> preferences;
    du::SmartPtr<sxmk::CenterLineXYZ> record;
    du::SmartPtr<Shadow> shadow;
    DrawnHandles handleNodes;
};

}  // namespace testsupport
