// The library as the viewer meets it: loaded as a shared library (a DLL on Windows) next to the
// host's, reached only through exported names and public headers, its process-wide constants
// alive, and a centre-line drag running end to end across the module boundary.
#include "HostFixture.h"

#include <gtest/gtest.h>

#include <dg/Camera3D.h>
#include <dg/Color.h>
#include <dg/Location.h>
#include <du/Localizer.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
#include <sxk/Markup.h>
#include <sxk/Operation.h>
#include <sxk/Preferences.h>
#include <sxk/Scene.h>
#include <sxk/View.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>
#include <sxmk/DragDriver.h>
#include <sxmk/MarkupData.h>
#include <sxmk/TranslatorAxis.h>
#include <sxmu/Model.h>

#include <cmath>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// <windows.h> renames GetClassName to its ANSI variant; the host's managed objects have their own.
#undef GetClassName
#endif

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(void*) == 4, "the Windows build targets 32-bit x86");
#endif

namespace {

TEST(Platform, WindowsBuildIs32BitAndLoadsTheLibraryAsDlls) {
#if defined(_WIN64)
    FAIL() << "built for 64-bit Windows; the library ships as a 32-bit DLL";
#elif defined(_WIN32)
    EXPECT_EQ(sizeof(void*), 4u);
    EXPECT_NE(GetModuleHandleA("libillsxmk.dll"), nullptr);
    EXPECT_NE(GetModuleHandleA("libillsxmk_host.dll"), nullptr);
#else
    GTEST_SKIP() << "pointer size is checked on the Windows build";
#endif
}

// Constants that the library creates when it is loaded, read through its exports.
TEST(LoadedLibrary, ProcessWideConstantsExist) {
    const dg::Color colour = sxmk::defaultHandleColor;
    EXPECT_EQ(colour.r, 0.1f);
    EXPECT_EQ(colour.g, 0.1f);
    EXPECT_EQ(colour.b, 0.6f);
    EXPECT_EQ(colour.a, 0.8f);
}

std::string Localised(const char* catalog, const char* key) {
    return du::Localizer(catalog).LocalizeMessage(key, 0);
}

// Takes what a finished drag hands over, as the viewer's controller does.
class Controller : public sxk::MarkupController {
public:
    struct Call {
        const sxk::Markup* markup;
        const sxk::Markup* shadow;
        std::string operationName;
        std::vector<dg::DPoint3D> shadowPoints;
    };

    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& operation) override {
        Call call{markup.get(), shadow.get(), operation ? operation->GetName() : std::string(), {}};
        // Across the module boundary: the shadow's type information comes from the library.
        if (const auto* s = dynamic_cast<const sxmk::CenterLineXYZShadow*>(shadow.get()))
            call.shadowPoints = s->GetPoints();
        calls.push_back(call);
        return true;
    }

    std::vector<Call> calls;
};

class LoadAndDrag : public testsupport::HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        view = new sxk::ShapeView;
        view->camera = dg::Camera3D::Perspective(dg::DPoint3D(0.0, 0.0, 40.0), dg::DPoint3D::ORIGIN,
                                                 dg::DVec3(0.0, 1.0, 0.0), 0.8, 800, 600);
        view->window = new sxk::Window;
        view->scene = new sxk::Scene;
        view->defaultPreferences = new sxk::Preferences;

        // A straight centre line from (0, 0, 0) to (10, 0, 0), extended by 1 and 2.
        record = new sxmk::CenterLineXYZ;
        std::vector<dg::DPoint3D> list;
        const unsigned short axisOrder[3] = {0, 1, 2};
        record->BuildPoints(dg::DPoint3D(0, 0, 0), dg::DPoint3D(10, 0, 0), false, 1.0f, 2.0f, 0.5f,
                            dg::Location(), axisOrder, list);
        record->SetPoints(list);
        record->SetController(&controller);

        sxk::Markup* made = record->ConstructShadow(du::SmartPtr<sxk::View>(view));
        shadow = dynamic_cast<sxmk::CenterLineXYZShadow*>(made);
        ASSERT_NE(made, nullptr);
        ASSERT_TRUE(shadow);
    }

    void ReleaseAll() override {
        shadow = nullptr;
        record = nullptr;
        view = nullptr;
    }

    // The handle of the given kind that sits at p, found in the drawn content.
    template <typename Node>
    sxmu::ModelBase* HandleAt(const dg::DPoint3D& p) const {
        const sxmk::MarkupData* content = shadow->GetContent();
        const auto* root =
            content ? dynamic_cast<const sxmu::ModelContainer*>(content->GetModelBase().get())
                    : nullptr;
        if (root == nullptr)
            return nullptr;
        for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren()) {
            if (dynamic_cast<Node*>(child.get()) && Near(child->location.GetPos(), p))
                return child.get();
        }
        return nullptr;
    }

    dg::DPoint3D WindowOf(const dg::DPoint3D& p) const { return p * view->camera.worldToWindow; }

    static bool Near(const dg::DPoint3D& a, const dg::DPoint3D& b, double tolerance = 1e-9) {
        return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
               std::fabs(a.z - b.z) <= tolerance;
    }

    static int Round(double v) { return static_cast<int>(std::lround(v)); }

    du::SmartPtr<sxk::ShapeView> view;
    du::SmartPtr<sxmk::CenterLineXYZ> record;
    du::SmartPtr<sxmk::CenterLineXYZShadow> shadow;
    Controller controller;
};

TEST_F(LoadAndDrag, EndPointDropThroughThePickReachesTheControllerAndTheRecord) {
    const dg::DPoint3D end(10, 0, 0);
    sxmu::ModelBase* sphere = HandleAt<sxmu::ModelSphere>(end);
    ASSERT_NE(sphere, nullptr);
    const dg::DPoint3D grabbed = WindowOf(end);
    const int x0 = Round(grabbed.x);
    const int y0 = Round(grabbed.y);

    sxmk::DragDriver driver(*shadow);
    ASSERT_TRUE(driver.Start(sphere, x0, y0));
    EXPECT_EQ(record->GetEndExtention(), 0.0f) << "the dragged end drops its extension";
    driver.Move(x0 + 30, y0 - 20);
    driver.Release();
    EXPECT_TRUE(controller.calls.empty()) << "the drop waits for the pick";

    // The pick event was made by the library; its class name is the library's constant,
    // interned in the host's table like any other symbol.
    ASSERT_EQ(view->pendingPicks.size(), 1u);
    ASSERT_TRUE(view->pendingPicks.front().event);
    EXPECT_EQ(view->pendingPicks.front().event->GetClassName(),
              du::Symbol("sxmk::CenterLineXYZShadowPickEvent"));
    ASSERT_TRUE(view->CompletePick({}, 0));  // nothing under the pointer

    const dg::DPoint3D dropped =
        end + sxmk::DragDriver::PointerDisplacement(*view, end, x0, y0, x0 + 30, y0 - 20);
    ASSERT_EQ(controller.calls.size(), 1u);
    const Controller::Call& call = controller.calls[0];
    EXPECT_EQ(call.markup, record.get());
    EXPECT_EQ(call.shadow, shadow.get());
    EXPECT_EQ(call.operationName,
              Localised("sxplugins/harborstartup:harborAppStrings", "MoveEndPointDragger"));
    ASSERT_EQ(call.shadowPoints.size(), 4u);
    EXPECT_TRUE(Near(call.shadowPoints[2], dropped, 1e-9));
    EXPECT_EQ(shadow->GetPickedNode(), -1);

    // Applying the result, as the controller does, moves the record's end.
    record->SetPoints(call.shadowPoints);
    EXPECT_TRUE(Near(record->GetEndPoint(), dropped, 1e-9));
    EXPECT_TRUE(Near(record->GetStartPoint(), dg::DPoint3D(0, 0, 0)));
}

TEST_F(LoadAndDrag, ExtensionDragStoresTheNewLengthAndReachesTheController) {
    const dg::DPoint3D extendedEnd(12, 0, 0);
    sxmu::ModelBase* arrow = HandleAt<sxmu::ModelLeaderLine>(extendedEnd);
    ASSERT_NE(arrow, nullptr);
    const dg::DPoint3D grabbed = WindowOf(extendedEnd);
    const double pixelsPerUnit = WindowOf(dg::DPoint3D(13, 0, 0)).x - grabbed.x;
    ASSERT_GT(pixelsPerUnit, 0.0);
    const int x0 = Round(grabbed.x);
    const int y0 = Round(grabbed.y);

    sxmk::DragDriver driver(*shadow);
    ASSERT_TRUE(driver.Start(arrow, x0, y0));
    driver.Move(x0 + 40, y0);
    driver.Release();

    EXPECT_NEAR(record->GetEndExtention(), 2.0 + 40.0 / pixelsPerUnit, 1e-4);
    EXPECT_EQ(record->GetStartExtention(), 1.0f);
    ASSERT_EQ(controller.calls.size(), 1u);
    EXPECT_EQ(controller.calls[0].markup, record.get());
    EXPECT_EQ(controller.calls[0].operationName,
              Localised("sxplugins/harborstartup:harborAppStrings", "MoveExtentionDragger"));
    EXPECT_TRUE(view->pendingPicks.empty());
}

}  // namespace
