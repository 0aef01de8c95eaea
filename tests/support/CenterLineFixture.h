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

    // record := a new record of lineInput; shadow := its shadow in view (null if the pool failed).
    void MakeShadow(const LineInput& lineInput) {
        shadow = nullptr;
        record = MakeRecord(lineInput);
        shadow = ConstructFor(record);
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

    // Display nodes of the shadow by handle.
    const sxmu::ModelBase* StartSphere() const { return Access::sphereDraggers(*shadow)[0].get(); }
    const sxmu::ModelBase* EndSphere() const { return Access::sphereDraggers(*shadow)[1].get(); }
    const sxmu::ModelBase* StartArrow() const {
        return Access::startExtensionAxis(*shadow)->arrow.get();
    }
    const sxmu::ModelBase* EndArrow() const {
        return Access::endExtensionAxis(*shadow)->arrow.get();
    }
    const sxmu::ModelBase* JogArrow() const { return Access::jogAxis(*shadow)->arrow.get(); }
    const sxmu::ModelBase* Line() const { return DrawnLine(*shadow); }

    // The children of a freshly built shadow, head first.
    std::vector<const sxmu::ModelBase*> BuiltOrder(bool withJog) const {
        std::vector<const sxmu::ModelBase*> out;
        if (withJog)
            out.push_back(JogArrow());
        for (const sxmu::ModelBase* node :
             {EndSphere(), StartSphere(), EndArrow(), StartArrow(), Line()})
            out.push_back(node);
        return out;
    }

    du::SmartPtr<sxk::ShapeView> view;
    du::SmartPtr<sxk::Window> window;
    du::SmartPtr<sxk::Scene> scene;
    du::SmartPtr<sxk::Preferences> preferences;
    du::SmartPtr<sxmk::CenterLineXYZ> record;
    du::SmartPtr<Shadow> shadow;
};

}  // namespace testsupport
