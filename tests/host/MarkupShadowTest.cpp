#include <sxk/View.h>
#include <sxmk/DragDriver.h>
#include <sxmk/Markup.h>
#include <sxmk/MarkupShadow.h>

#include <HostFixture.h>

#include <vector>

namespace {

// A quarter turn about z for row vectors: object x lies along world y.
const dg::FMat33 kQuarterTurnZ(0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);

// A shadow that records what the framework asked of it.
class ProbeShadow : public sxmk::MarkupShadow {
public:
    ProbeShadow(const du::SmartPtr<sxk::View>& v, const du::SmartPtr<sxk::Markup>& m)
        : MarkupShadow(v, true), markup(m) {}

    du::SmartPtr<sxk::Markup> markup;
    bool acceptDrag = true;
    int starts = 0, steps = 0, stops = 0;
    sxmu::ModelBase* nodeAtStart = nullptr;
    dg::DVec3 stepVector;
    std::vector<dg::DVec3> translated;
    std::vector<sxk::Operation*> stoppedWith;

private:
    du::SmartPtr<sxk::Markup> GetMarkup() override { return markup; }
    bool HandleDragStart() override {
        ++starts;
        nodeAtStart = draggedNode;
        return acceptDrag;
    }
    void HandleDragStep() override {
        ++steps;
        stepVector = dragVector;
    }
    void HandleDragStop() override { ++stops; }
    void Translate(const dg::DVec3& delta) override { translated.push_back(delta); }
    void Stop(const dg::DVec3&, const du::SmartPtr<sxk::Operation>& op) override {
        stoppedWith.push_back(op.get());
    }
};

class ShadowDrag : public testsupport::HostFixture {
protected:
    du::SmartPtr<ProbeShadow> MakeShadow(const du::SmartPtr<sxk::View>& view) {
        return new ProbeShadow(view, new sxmk::Markup);
    }
};

TEST_F(ShadowDrag, DeltaInObjectSpaceUndoesPlacementRotation) {
    const auto shadow = MakeShadow(new sxk::View);
    shadow->markup->placement = dg::Location(kQuarterTurnZ, {5.0, 6.0, 7.0});
    dg::DVec3 out;
    shadow->GetDeltaInObjectSpace(out, {0.0, 2.0, 1.0});
    EXPECT_NEAR(out.x, 2.0, 1e-12);
    EXPECT_NEAR(out.y, 0.0, 1e-12);
    EXPECT_NEAR(out.z, 1.0, 1e-12);

    shadow->markup.reset();  // no markup: world space is object space
    shadow->GetDeltaInObjectSpace(out, {0.0, 2.0, 1.0});
    EXPECT_EQ(out, dg::DVec3(0.0, 2.0, 1.0));
}

TEST_F(ShadowDrag, DragParallelToViewPlaneProjectsBackToPointerPixels) {
    du::SmartPtr<sxk::ShapeView> view(new sxk::ShapeView);
    view->camera = dg::Camera3D::Perspective({4, -3, 12}, {0, 0, 0}, {0, 1, 0}, 0.9, 800, 600);
    const auto shadow = MakeShadow(view);
    shadow->markup->placement = dg::Location(kQuarterTurnZ, {1.0, 0.0, 0.0});
    du::SmartPtr<sxmu::ModelBase> node(new sxmu::ModelBase);
    node->location.SetPos(dg::DPoint3D(0.5, 0.0, 0.0));

    sxmk::DragDriver driver(*shadow);
    const dg::DPoint3D anchor = driver.WorldPositionOf(*node);
    EXPECT_NEAR(Distance(anchor, {1.0, 0.5, 0.0}), 0.0, 1e-12);
    const dg::DPoint3D start = anchor * view->camera.worldToWindow;
    const int x0 = static_cast<int>(start.x), y0 = static_cast<int>(start.y);

    ASSERT_TRUE(driver.Start(node.get(), x0, y0));
    EXPECT_EQ(shadow->nodeAtStart, node.get());
    EXPECT_EQ(shadow->dragVector, dg::DVec3::ZERO);
    driver.Move(x0 + 40, y0 - 25);
    EXPECT_EQ(shadow->steps, 1);
    EXPECT_EQ(shadow->dragX, x0 + 40);
    EXPECT_EQ(shadow->dragStartY, y0);

    // The displacement lies in the view plane, and the grabbed point moved by it shows the
    // same pixel offset as the pointer.
    const dg::DVec3 d = shadow->stepVector;
    EXPECT_NEAR(dg::Dot(d, view->camera.GetW()), 0.0, 1e-9);
    const dg::DPoint3D before = anchor * view->camera.worldToWindow;
    const dg::DPoint3D after = (anchor + d) * view->camera.worldToWindow;
    EXPECT_NEAR(after.x - before.x, 40.0, 1e-6);
    EXPECT_NEAR(after.y - before.y, -25.0, 1e-6);

    driver.Release();
    EXPECT_EQ(shadow->stops, 1);
    EXPECT_FALSE(driver.IsDragging());
}

TEST_F(ShadowDrag, NoteDraggerIsGrabbedAtItsNote) {
    const auto shadow = MakeShadow(new sxk::View);
    shadow->markup->placement = dg::Location(kQuarterTurnZ, {1.0, 0.0, 0.0});
    du::SmartPtr<sxmu::ModelNote> note(new sxmu::ModelNote("n"));
    note->location.SetPos(dg::DPoint3D(2.0, 0.0, 3.0));
    du::SmartPtr<sxmu::ModelNoteDragger> dragger(new sxmu::ModelNoteDragger(note, {}, {}));
    dragger->dragDisplacement = dg::DVec3(0.0, 1.0, 0.0);

    sxmk::DragDriver driver(*shadow);
    // The dragger's own location stays at the origin; it is drawn at note + displacement.
    EXPECT_NEAR(Distance(driver.WorldPositionOf(*dragger), {0.0, 2.0, 3.0}), 0.0, 1e-12);
}

TEST_F(ShadowDrag, OtherViewsMoveOneUnitPerPixelWithYUp) {
    const dg::DVec3 d = sxmk::DragDriver::PointerDisplacement(sxk::View(), {}, 10, 10, 13, 6);
    EXPECT_EQ(d, dg::DVec3(3.0, 4.0, 0.0));
}

TEST_F(ShadowDrag, RefusedStartIsNeitherSteppedNorStopped) {
    const auto shadow = MakeShadow(new sxk::View);
    shadow->acceptDrag = false;
    du::SmartPtr<sxmu::ModelBase> node(new sxmu::ModelBase);
    sxmk::DragDriver driver(*shadow);
    EXPECT_FALSE(driver.Start(node.get(), 1, 2));
    driver.Move(5, 5);
    driver.Release();
    EXPECT_EQ(shadow->starts, 1);
    EXPECT_EQ(shadow->steps, 0);
    EXPECT_EQ(shadow->stops, 0);
}

TEST_F(ShadowDrag, BroadcastReachesEveryTargetWithTheSameOperation) {
    du::SmartPtr<sxk::View> view(new sxk::View);
    const auto shadow = MakeShadow(view);
    const auto a = MakeShadow(view), b = MakeShadow(view);
    EXPECT_EQ(shadow->BroadcastStop({1, 0, 0}, nullptr), 0);
    shadow->broadcastTargets = {a, b};

    EXPECT_EQ(shadow->BroadcastTranslate({1.0, 2.0, 3.0}), 2);
    EXPECT_EQ(shadow->broadcastTranslateCount, 1);
    ASSERT_EQ(b->translated.size(), 1u);
    EXPECT_EQ(b->translated[0], dg::DVec3(1.0, 2.0, 3.0));

    du::SmartPtr<sxk::Operation> op(new sxk::Operation("Move Markups", view->GetScene(), true));
    EXPECT_EQ(shadow->BroadcastStop({1.0, 2.0, 3.0}, op), 2);
    EXPECT_EQ(a->stoppedWith, std::vector<sxk::Operation*>{op.get()});
    EXPECT_EQ(b->stoppedWith, std::vector<sxk::Operation*>{op.get()});
    EXPECT_TRUE(shadow->stoppedWith.empty());
}

}  // namespace
