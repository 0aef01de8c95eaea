#pragma once

// A scripted viewer session: the view, the scene, the centre lines, the preferences and the
// actions to play. Everything here has been validated by ParseScenario, so the runner can rely
// on it (finite numbers, positive viewport, pointer inside the window, known ids, axis orders
// that are permutations).

#include <dg/Color.h>
#include <dg/Location.h>
#include <dg/Matrix.h>
#include <dg/Vector.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace replay {

struct ViewInput {
    bool shapeView = true;    // false: a plain view (no camera, no picking)
    bool perspective = true;  // shape views only
    dg::DPoint3D eye{0.0, 0.0, 20.0};
    dg::DPoint3D target;
    dg::DVec3 up{0.0, 1.0, 0.0};
    double fieldOfViewDegrees = 45.0;
    double parallelWidth = 20.0;
    // Distance from the eye to the nearest plane the view shows (shape views only); when unset,
    // it is derived from the eye-target distance (NearDistance).
    std::optional<double> nearDistance;
    int width = 800;
    int height = 600;
};

struct PartInput {
    std::string id;
    dg::DPoint3D min;
    dg::DPoint3D max;
    std::string instance;  // instance ID path
    std::optional<std::string> sbom;
    std::optional<std::string> weld;  // needs an SBOM instance
};

// A plain label or a callout label: a note at a position of the scene.
struct LabelInput {
    std::string id;
    std::string note;
    std::optional<std::string> description;  // callouts only
    std::optional<std::string> title;        // callouts only
    dg::DPoint3D position;
    dg::Location placement;
};

struct CenterLineInput {
    std::string id;
    dg::DPoint3D start;
    dg::DPoint3D end;
    bool alongAxis = false;
    float startExtension = 0.0f;
    float endExtension = 0.0f;
    float ratio = 0.5f;
    dg::FMat33 frame;
    std::array<unsigned short, 3> axisOrder{0, 1, 2};
    std::string partID;
    bool attached = false;
    dg::Location placement;
};

// The preselection colour as the viewer keeps it: absent, an integer 0xRRGGBB, a colour value, or
// some text (which the viewer cannot read as a colour).
struct PreferenceValue {
    enum Kind { Absent, Integer, Colour, Text } kind = Absent;
    int integer = 0;
    dg::Color colour;
    std::string text;
};

enum class HandleName { StartPoint, EndPoint, StartExtension, EndExtension, Jog };
constexpr std::array<HandleName, 5> kAllHandles{HandleName::StartPoint, HandleName::EndPoint,
                                                HandleName::StartExtension,
                                                HandleName::EndExtension, HandleName::Jog};
const char* HandleKey(HandleName handle);    // "startPoint", ...
const char* HandleLabel(HandleName handle);  // "start-point sphere", ...

// One result of an explicit pick.
struct PickResultInput {
    std::string object;     // id of a part, label, callout or centre line
    bool asShadow = false;  // a centre line reported by its shadow rather than its record
    std::optional<dg::DPoint3D> point;  // default: the object's reference point
};

// Checks of an expect action. Unset members are not checked.
struct Expectation {
    std::string markup;  // id of a centre line or a callout; empty for session-wide checks
    double tolerance = 1e-6;

    // Centre-line record.
    std::optional<dg::DPoint3D> startPoint, endPoint;
    std::optional<double> startExtension, endExtension, ratio;
    std::optional<bool> alongAxis, attached;
    std::optional<std::vector<dg::DPoint3D>> points;
    std::optional<std::string> partID;
    std::optional<int> midPointIndex;  // the record's index of the mid jog point in its list
    // Centre-line shadow.
    std::vector<std::pair<HandleName, dg::DPoint3D>> handles;  // node positions, object space
    std::optional<std::vector<HandleName>> shown;              // handles in the display, any order
    std::optional<std::string> highlighted;  // handle key drawn preselected, or "none"
    std::optional<int> pickedNode;
    std::optional<std::string> endPointItem;      // "none", "sbom:<path>" or "instance:<path>"
    std::optional<std::string> startPointItem;    // likewise
    std::optional<std::string> connectionTarget;  // label or callout id, or "none"
    // Callout label.
    std::optional<dg::DPoint3D> position;
    // Session.
    std::optional<std::vector<std::string>> operations;  // recorded operation names, oldest first
    std::optional<std::string> lastOperation;
    std::optional<std::vector<std::string>> undo;  // undo stack names, oldest first
    std::optional<std::vector<std::string>> redo;
    std::optional<int> controllerCalls;
    std::optional<int> pendingPicks;
    std::optional<std::string> cursor;  // window cursor name, "" for the default cursor
};

// How the viewer around the library behaves: what its markup controller does with a finished
// drag, and how its pick service answers a request. The polite viewer (the defaults) applies the
// drag and completes a pick later, when a pick action says so.
struct ViewerOptions {
    enum Controller { Apply, Snap, Refuse } controller = Apply;
    double grid = 1.0;     // Snap: dropped coordinates go to the nearest multiple of this step
    bool rebuild = false;  // the controller rebuilds the markup's shadows inside its stop call
    enum Picks { Later, AtOnce, RefusePicks } picks = Later;
    // The stand-in viewer's legal but unusual behaviours (sxk::HostileViewer's bits) switched on
    // from this action on; never ControllerLetsGo (the scene holds the markups it plays).
    unsigned behaviours = 0;
};

// The viewer's own edit of a centre line: each field given replaces the record's, as the viewer
// writes it (the path is built again from the fields that result). A point list, when given, is
// stored as it stands after all of that, as a viewer loading a saved markup stores it: it may be
// shorter or longer than the path's layout.
struct CenterLineEdit {
    std::optional<dg::DPoint3D> start, end;
    std::optional<bool> alongAxis;
    std::optional<float> startExtension, endExtension, ratio;
    std::optional<dg::FMat33> frame;
    std::optional<std::array<unsigned short, 3>> axisOrder;
    std::optional<std::string> partID;
    std::optional<bool> attached;
    std::optional<std::vector<dg::DPoint3D>> points;  // at most kMaxEditPoints
};
constexpr std::size_t kMaxEditPoints = 64;
// The line's fields with the edit's given ones in place (the point list is not one of them).
void ApplyEdit(const CenterLineEdit& edit, CenterLineInput& line);

// A move of a view's camera: set (a whole camera as the view section gives it), or turned about
// its target (degrees about the up direction, counter-clockwise seen from above; then degrees
// that raise the eye over the target), panned (window pixels: the scene follows the pointer) and
// zoomed (the view shows `zoom` times larger). The moves apply in that order.
struct CameraMove {
    std::optional<ViewInput> set;
    std::optional<std::array<double, 2>> orbit;
    std::optional<std::array<int, 2>> pan;
    std::optional<double> zoom;
};

struct Action {
    enum Kind {
        Hover,
        Press,
        Move,
        Release,
        Pick,
        Preferences,
        Undo,
        Redo,
        Expect,
        Viewer,
        Select,
        Edit,
        Camera,
        Add,
        Remove
    } kind = Hover;
    int x = 0;
    int y = 0;
    // The view a pointer, camera or expect action is about (0 the first, 1 the second); -1 for
    // the default: the first view, and for a pick the first view with a pick pending.
    int view = -1;
    // Press: the framework's move of the whole selection, grabbed at any node of a markup,
    // instead of a drag of the handle under the pointer.
    bool grabMarkup = false;
    // Pick: explicit results (when hasResults), else a ray cast at the pick's position.
    bool hasResults = false;
    std::vector<PickResultInput> results;
    int status = 0;
    // Preferences.
    PreferenceValue preselectionColor;
    // Expect.
    Expectation expect;
    ViewerOptions viewer;
    // Select: the markups selected from now on (ids of centre lines and callouts).
    std::vector<std::string> selection;
    // Edit: the centre line, and its new fields; remove: the centre line or callout.
    std::string markup;
    CenterLineEdit edit;
    // Add: the centre line or (addedCallout) the callout the viewer adds to the scene; one of
    // the two is set.
    std::optional<CenterLineInput> added;
    std::optional<LabelInput> addedCallout;
    CameraMove camera;
    std::string comment;
};
const char* ActionName(Action::Kind kind);

// The most parts and plain labels a scene holds, together: each is drawn once per session and
// cast against once per pick, so the page opens such a scene in about a second.
constexpr std::size_t kMaxSceneObjects = 10000;

struct Scenario;
// The views of a scenario, the first first.
std::vector<ViewInput> ViewsOf(const Scenario& scenario);

struct Scenario {
    std::string name;
    std::string description;
    ViewInput view;
    // A second view of the same scene, shown beside the first: every markup has a shadow in each.
    std::optional<ViewInput> secondView;
    int minCalloutSize = 1;  // sxmu::ModelNote::MinimumSize
    std::vector<PartInput> parts;
    std::vector<LabelInput> labels;
    std::vector<LabelInput> callouts;
    std::vector<CenterLineInput> centerLines;
    PreferenceValue preselectionColor;
    std::vector<Action> actions;
};

// Either a scenario or one message naming the place of the first problem found.
struct ParseOutcome {
    std::optional<Scenario> scenario;
    std::string error;
};

// Reads and validates a whole scenario; nothing is partially accepted.
ParseOutcome ParseScenario(const std::string& text);

// One action given as the JSON text of an element of a scenario's "actions", read against the
// scenario's views and ids and those that the actions played before it added, as the whole
// scenario would read it after them: the action, or the message naming what is wrong
// ("action.x: ...").
struct ActionOutcome {
    std::optional<Action> action;
    std::string error;
};
ActionOutcome ParseAction(const Scenario& scenario, const std::vector<Action>& played,
                          const std::string& text);

// Writes a scenario in the format ParseScenario reads: reading the text back gives the scenario
// field by field. writtenActions (each from WriteAction) follow the scenario's own actions.
std::string WriteScenario(const Scenario& scenario);
std::string WriteScenario(const Scenario& scenario, const std::vector<std::string>& writtenActions);
// One action as a single line of JSON.
std::string WriteAction(const Action& action);

// Member by member, exactly.
bool operator==(const ViewInput& a, const ViewInput& b);
bool operator==(const PartInput& a, const PartInput& b);
bool operator==(const LabelInput& a, const LabelInput& b);
bool operator==(const CenterLineInput& a, const CenterLineInput& b);
bool operator==(const PreferenceValue& a, const PreferenceValue& b);
bool operator==(const PickResultInput& a, const PickResultInput& b);
bool operator==(const Expectation& a, const Expectation& b);
bool operator==(const ViewerOptions& a, const ViewerOptions& b);
bool operator==(const CenterLineEdit& a, const CenterLineEdit& b);
bool operator==(const CameraMove& a, const CameraMove& b);
bool operator==(const Action& a, const Action& b);
bool operator==(const Scenario& a, const Scenario& b);

// The built-in default session (JSON text).
const std::string& DefaultScenarioText();

}  // namespace replay
