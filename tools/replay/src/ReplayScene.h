#pragma once

// The replay's stand-in for the viewer around the library: one or two views, each with its camera
// and window, over one scene with its preferences, the parts and labels of the scene, and the
// markups with a shadow in every view.

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

// One view of the scene, as the viewer has one per window: its kind, camera and window.
struct SceneView {
    ViewInput input;  // the view with its camera as it is now
    du::SmartPtr<sxk::View> view;
    sxk::ShapeView* shapeView = nullptr;  // null for a plain view
    Projector projector;

    // The view's window (its cursor); null before the view has one.
    sxk::Window* Window() const;
};

struct CalloutEntry {
    LabelInput config;
    du::SmartPtr<sxmk::CalloutLabel> label;
    std::vector<du::SmartPtr<sxmk::CalloutLabelShadow>> shadows;  // one per view
};

// A centre line's shadow in one view, and which of its display nodes is which handle.
struct LineShadow {
    du::SmartPtr<sxmk::CenterLineXYZShadow> shadow;
    // The handle each display node stands for; rebuilt whenever the shadow rebuilds.
    std::map<const sxmu::ModelBase*, HandleName> handles;
    // The render set each handle showed when it was built: another one means preselected.
    std::map<const sxmu::ModelBase*, const sxmu::RenderAttrsVector*> normalAttrs;
};

struct CenterLineEntry {
    CenterLineInput config;
    du::SmartPtr<sxmk::CenterLineXYZ> record;
    std::vector<LineShadow> shadows;  // one per view
    // The list last stored with SetPoints (the record's true ends derive from it).
    std::vector<dg::DPoint3D> lastStored;
    // The list the record's along-axis data (axis limits, main-axis direction, mid-point index)
    // derive from: the last one of the along-axis layout stored while the record was along axis.
    // A later list of another length leaves those data as they were. Empty when there was none.
    std::vector<dg::DPoint3D> axisStored;
};

// Stores the list in the record with SetPoints and notes what the record took from it. The record
// ignores a list without a start slot and an end slot (fewer than two points); then it returns
// false.
bool StorePoints(CenterLineEntry& entry, const std::vector<dg::DPoint3D>& list);

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

    // The viewer adds a centre line to the scene (a shadow in every view), or removes one: it
    // tells the record it left its holder, lets go of its shadows, then of the record.
    CenterLineEntry& AddCenterLine(const CenterLineInput& config);
    void RemoveCenterLine(std::size_t index);
    // Likewise a callout: its label set into the scene, a shadow in every view; removed, the
    // label is told it left its holder, its shadows are let go, then the label.
    CalloutEntry& AddCallout(const LabelInput& config);
    void RemoveCallout(std::size_t index);
    // Moves a view's camera; its window shows the scene from there on.
    void SetCamera(std::size_t view, const ViewInput& input);
    // Stores the preselection colour into the view's preferences as the viewer keeps it.
    void SetPreselectionColor(const PreferenceValue& value);
    // Calls OnApplyPreferences on every markup and shadow.
    void ApplyPreferences();

    // Reads which display node is which handle from the line's freshly built shadows.
    void MapHandles(CenterLineEntry& entry);
    // What the viewer does when a record changed: every shadow of the line rebuilt from it
    // (MarkupChanged), its handles read again.
    void RebuildShadows(CenterLineEntry& entry);
    void MapHandles(const CenterLineEntry& entry, LineShadow& line);
    static std::optional<HandleName> HandleOf(const LineShadow& shadow,
                                              const sxmu::ModelBase* node);
    static sxmu::ModelBase* NodeOf(const LineShadow& shadow, HandleName handle);
    // True when the node shows its preselected appearance.
    static bool IsHighlighted(const LineShadow& shadow, const sxmu::ModelBase* node);
    static sxmu::ModelContainer* RootOf(const LineShadow& shadow);
    static sxmu::ModelNoteDragger* DraggerOf(const sxmk::CalloutLabelShadow* shadow);

    CenterLineEntry* FindCenterLine(const std::string& id);
    const CenterLineEntry* FindCenterLine(const std::string& id) const;
    CalloutEntry* FindCallout(const std::string& id);
    const CalloutEntry* FindCallout(const std::string& id) const;
    const std::string* IdOf(const sxk::Object* object) const;
    // The views' pick queues: any pick still waiting, in any view.
    bool PicksPending() const;

    std::vector<SceneView> views;  // one or two, sharing the scene and the preferences
    du::SmartPtr<sxk::Preferences> preferences;
    std::vector<PartEntry> parts;
    std::vector<LabelEntry> labels;
    std::vector<CalloutEntry> callouts;
    std::vector<CenterLineEntry> centerLines;
    std::vector<std::string> warnings;
};

}  // namespace replay
