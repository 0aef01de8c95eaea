#pragma once

// The replay's stand-in for the viewer around the library: one view with its camera, window,
// scene and preferences, the parts and labels of the scene, and the markups with their shadows.

#include "Scenario.h"

#include <dg/Camera3D.h>
#include <du/SmartPtr.h>
#include <sxk/Instance.h>
#include <sxk/Preferences.h>
#include <sxk/View.h>
#include <sxmk/CalloutLabel.h>
#include <sxmk/CalloutLabelShadow.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>
#include <sxmk/Label.h>
#include <sxmu/Model.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace replay {

// Key under which the viewer keeps the preselection colour.
extern const char* const kPreselectionColorKey;

// The names of the operations the host has recorded so far, oldest first.
std::vector<std::string> RecordedOperationNames();

// A window position in pixels and its depth (distance along the line of sight).
struct Screen {
    double x = 0.0;
    double y = 0.0;
    double depth = 0.0;
};

// Maps world points to the window with the camera's worldToWindow.
class Projector {
public:
    explicit Projector(const dg::Camera3D& camera);

    // Nothing for a point on or behind the eye's plane (perspective).
    std::optional<Screen> Project(const dg::DPoint3D& world) const;
    // Cuts the segment to the part in front of the eye; false when none of it is.
    bool ClipToFront(dg::DPoint3D& a, dg::DPoint3D& b) const;
    // Pixels per unit of a screen-sized node (a node of size 1 spans the viewport's height).
    double ScreenUnit() const { return static_cast<double>(camera.viewportHeight); }
    const dg::Camera3D& Camera() const { return camera; }

private:
    double Depth(const dg::DPoint3D& world) const;

    dg::Camera3D camera;
    dg::DVec3 sight;  // unit, from the eye towards the target
};

// The camera's near distance: the scenario's, else a thousandth of the distance from the eye to
// the target, so that a scene shows alike whatever unit its coordinates are written in.
double NearDistance(const ViewInput& view);
// The view's camera as the host makes it, with that near distance.
dg::Camera3D MakeCamera(const ViewInput& view);

dg::DPoint3D ToWorld(const dg::Location& placement, const dg::DPoint3D& p);
dg::DVec3 ToWorld(const dg::Location& placement, const dg::DVec3& v);

struct PartEntry {
    PartInput config;
    du::SmartPtr<sxk::ShapeInstance> shape;
};

struct LabelEntry {
    LabelInput config;
    du::SmartPtr<sxmk::Label> label;
};

struct CalloutEntry {
    LabelInput config;
    du::SmartPtr<sxmk::CalloutLabel> label;
    du::SmartPtr<sxmk::CalloutLabelShadow> shadow;
};

struct CenterLineEntry {
    CenterLineInput config;
    du::SmartPtr<sxmk::CenterLineXYZ> record;
    du::SmartPtr<sxmk::CenterLineXYZShadow> shadow;
    // The handle each display node stands for; rebuilt whenever the shadow rebuilds.
    std::map<const sxmu::ModelBase*, HandleName> handles;
    // The render set each handle showed when it was built: another one means preselected.
    std::map<const sxmu::ModelBase*, const sxmu::RenderAttrsVector*> normalAttrs;
    // The list last stored with SetPoints (the record's along-axis data derive from it).
    std::vector<dg::DPoint3D> lastStored;
};

// Gives the scene a kernel (installed when none is there, and then removed with the scene) and
// an empty operation history.
class HostGuard {
public:
    HostGuard();
    ~HostGuard();
    HostGuard(const HostGuard&) = delete;
    HostGuard& operator=(const HostGuard&) = delete;

private:
    bool installed = false;
};

class ReplayScene {
    // The first member: the kernel is there before anything of the scene is made, and stays until
    // all of it is gone.
    HostGuard host;

public:
    explicit ReplayScene(const Scenario& scenario);
    ~ReplayScene();
    ReplayScene(const ReplayScene&) = delete;
    ReplayScene& operator=(const ReplayScene&) = delete;

    // Moves the view's camera; the window shows the scene from there on.
    void SetCamera(const ViewInput& input);
    // Stores the preselection colour into the view's preferences as the viewer keeps it.
    void SetPreselectionColor(const PreferenceValue& value);
    // Calls OnApplyPreferences on every markup and shadow of the view.
    void ApplyPreferences();

    // Reads which display node is which handle from a freshly built shadow.
    void MapHandles(CenterLineEntry& entry);
    std::optional<HandleName> HandleOf(const CenterLineEntry& entry,
                                       const sxmu::ModelBase* node) const;
    sxmu::ModelBase* NodeOf(const CenterLineEntry& entry, HandleName handle) const;
    // True when the node shows its preselected appearance.
    bool IsHighlighted(const CenterLineEntry& entry, const sxmu::ModelBase* node) const;
    static sxmu::ModelContainer* RootOf(const CenterLineEntry& entry);
    static sxmu::ModelNoteDragger* DraggerOf(const CalloutEntry& entry);

    CenterLineEntry* FindCenterLine(const std::string& id);
    const CenterLineEntry* FindCenterLine(const std::string& id) const;
    CalloutEntry* FindCallout(const std::string& id);
    const CalloutEntry* FindCallout(const std::string& id) const;
    const std::string* IdOf(const sxk::Object* object) const;
    // The view's window (its cursor); null before the view has one.
    sxk::Window* Window() const;

    du::SmartPtr<sxk::View> view;
    sxk::ShapeView* shapeView = nullptr;  // null for a plain view
    ViewInput viewInput;                  // the view with its camera as it is now
    Projector projector;
    du::SmartPtr<sxk::Preferences> preferences;
    std::vector<PartEntry> parts;
    std::vector<LabelEntry> labels;
    std::vector<CalloutEntry> callouts;
    std::vector<CenterLineEntry> centerLines;
    std::vector<std::string> warnings;
};

}  // namespace replay
