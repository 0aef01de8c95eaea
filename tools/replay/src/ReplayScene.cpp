#include "ReplayScene.h"

#include <sxk/Kernel.h>
#include <sxk/Operation.h>
#include <sxk/illustration/Illustration3dScene.h>
#include <sxk/illustration/SbomInstance.h>
#include <sxmk/MarkupData.h>

#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace replay {

const char* const kPreselectionColorKey = "General/Navigation/preselection_color";

std::vector<std::string> RecordedOperationNames() {
    std::vector<std::string> names;
    for (const du::SmartPtr<sxk::Operation>& op : sxk::RecordedOperations())
        if (op)
            names.push_back(op->GetName());
    return names;
}

namespace {

constexpr double kPi = 3.14159265358979323846;

constexpr double kNearPerDistance = 1e-3;

}  // namespace

// The host's camera is made with a fixed near distance (0.1), meant for scenes some units across.
// The near distance decides what lies in front of the eye (Projector) and where the projection
// window sits (GetProjection, which the library reads as a ratio). Where a point lands in the
// window does not depend on it; only the depth that worldToWindow gives does, which neither the
// replay nor the library reads. So the scene's own distance is set once the camera is made.
dg::Camera3D MakeCamera(const ViewInput& v) {
    dg::Camera3D camera =
        v.perspective
            ? dg::Camera3D::Perspective(v.eye, v.target, v.up, v.fieldOfViewDegrees * kPi / 180.0,
                                        v.width, v.height)
            : dg::Camera3D::Parallel(v.eye, v.target, v.up, v.parallelWidth, v.width, v.height);
    camera.nearDistance = NearDistance(v);
    return camera;
}

namespace {

// The pool answers null instead of throwing; the replay cannot go on without its objects.
template <typename T>
T* Checked(T* object, const char* what) {
    if (!object)
        throw std::runtime_error(std::string("the host's memory pool had no memory for ") + what);
    return object;
}

du::SmartPtr<sxmu::ModelNote> MakeNote(const std::string& text, const dg::DPoint3D& position) {
    du::SmartPtr<sxmu::ModelNote> note(new sxmu::ModelNote(text));
    note->location.SetPos(position);
    return note;
}

PartEntry MakePart(const PartInput& config) {
    du::SmartPtr<sxk::Instance> instance(
        Checked(new sxk::Instance(du::Symbol(config.instance)), "an instance"));
    if (config.sbom) {
        du::SmartPtr<sxk::illustration::SbomInstance> sbom(Checked(
            new sxk::illustration::SbomInstance(du::Symbol(*config.sbom)), "an SBOM instance"));
        if (config.weld)
            sbom->SetWeld(Checked(new sxk::illustration::Weld(du::Symbol(*config.weld)), "a weld"));
        instance->SetSbomInstance(sbom);
    }
    return PartEntry{config, Checked(new sxk::ShapeInstance(instance), "a shape instance")};
}

LabelEntry MakeLabel(const LabelInput& config) {
    du::SmartPtr<sxmk::Label> label(Checked(new sxmk::Label, "a label"));
    label->note = MakeNote(config.note, config.position);
    label->placement = config.placement;
    return LabelEntry{config, label};
}

CalloutEntry MakeCallout(const LabelInput& config, const std::vector<SceneView>& views) {
    CalloutEntry entry;
    entry.config = config;
    entry.label = Checked(new sxmk::CalloutLabel, "a callout label");
    entry.label->note = MakeNote(config.note, config.position);
    if (config.description)
        entry.label->description =
            new sxmk::Description(MakeNote(*config.description, config.position));
    if (config.title)
        entry.label->title = new sxmk::Title(MakeNote(*config.title, config.position));
    entry.label->placement = config.placement;
    entry.label->SetScene(views.front().view->GetScene());
    for (const SceneView& v : views) {
        const du::SmartPtr<sxk::Markup> shadow(entry.label->ConstructShadow(v.view));
        entry.shadows.emplace_back(dynamic_cast<sxmk::CalloutLabelShadow*>(shadow.get()));
        if (!entry.shadows.back())
            throw std::runtime_error("callout \"" + config.id + "\" gave no shadow");
    }
    return entry;
}

// Filled as the viewer fills a new centre line: build, store, then the other setters.
CenterLineEntry MakeCenterLine(const CenterLineInput& config, const std::vector<SceneView>& views) {
    CenterLineEntry entry;
    entry.config = config;
    entry.record = Checked(new sxmk::CenterLineXYZ, "a centre line");
    sxmk::CenterLineXYZ& record = *entry.record;
    record.placement = config.placement;
    std::vector<dg::DPoint3D> list;
    record.SetDivRation(config.ratio);
    record.BuildPoints(config.start, config.end, config.alongAxis, config.startExtension,
                       config.endExtension, config.ratio, dg::Location(config.frame, {}),
                       config.axisOrder.data(), list);
    StorePoints(entry, list);
    du::Symbol partID(config.partID);
    record.SetPartID(partID);
    record.SetEndPointAttached(config.attached);
    for (const SceneView& v : views) {
        const du::SmartPtr<sxk::Markup> shadow(record.ConstructShadow(v.view));
        LineShadow line;
        line.shadow = dynamic_cast<sxmk::CenterLineXYZShadow*>(shadow.get());
        if (!line.shadow)
            throw std::runtime_error("centre line \"" + config.id + "\" gave no shadow");
        entry.shadows.push_back(std::move(line));
    }
    return entry;
}

SceneView MakeView(const ViewInput& input, const du::SmartPtr<sxk::Scene>& scene,
                   const du::SmartPtr<sxk::Preferences>& preferences) {
    SceneView v{input, nullptr, nullptr, Projector(MakeCamera(input))};
    if (input.shapeView) {
        auto* shape = Checked(new sxk::ShapeView, "the view");
        v.view = shape;
        v.shapeView = shape;
        shape->camera = v.projector.Camera();
    } else {
        v.view = Checked(new sxk::View, "the view");
    }
    v.view->scene = scene;
    v.view->defaultPreferences = preferences;
    return v;
}

// The entry with that id in a list of entries (const or not); null when there is none.
template <typename Entries>
auto FindById(Entries& entries, const std::string& id) -> decltype(&entries.front()) {
    for (auto& e : entries)
        if (e.config.id == id)
            return &e;
    return nullptr;
}

}  // namespace

bool StorePoints(CenterLineEntry& entry, const std::vector<dg::DPoint3D>& list) {
    // The list sizes below are the record's: a start slot and an end slot at least, and the
    // seven points of the along-axis layout for its along-axis data.
    const bool alongAxis = entry.record->IsAlongAxis();
    entry.record->SetPoints(list);
    if (list.size() < 2)
        return false;
    entry.lastStored = list;
    if (alongAxis && list.size() == 7)
        entry.axisStored = list;
    return true;
}

HostGuard::HostGuard() {
    sxk::RecordedOperations().clear();
    if (!sxk::Kernel::GetKernel()) {
        sxk::Kernel::Install();
        installed = true;
    }
}

HostGuard::~HostGuard() {
    if (installed)
        sxk::Kernel::Remove();
}

Projector::Projector(const dg::Camera3D& cam) : camera(cam), sight(-cam.GetW()) {}

double Projector::Depth(const dg::DPoint3D& world) const {
    return dg::Dot(world - camera.eye, sight);
}

std::optional<Screen> Projector::Project(const dg::DPoint3D& world) const {
    const double depth = Depth(world);
    if (camera.perspective && !(depth > camera.nearDistance))
        return std::nullopt;
    const dg::DPoint3D w = world * camera.worldToWindow;
    if (!std::isfinite(w.x) || !std::isfinite(w.y))
        return std::nullopt;
    return Screen{w.x, w.y, depth};
}

bool Projector::ClipToFront(dg::DPoint3D& a, dg::DPoint3D& b) const {
    if (!camera.perspective)
        return true;
    const double limit = camera.nearDistance * 1.001;
    const double da = Depth(a) - limit;
    const double db = Depth(b) - limit;
    if (!(da > 0.0) && !(db > 0.0))
        return false;
    if (!(da > 0.0))
        a = a + (b - a) * (da / (da - db));
    else if (!(db > 0.0))
        b = b + (a - b) * (db / (db - da));
    return true;
}

double NearDistance(const ViewInput& view) {
    return view.nearDistance.value_or((view.target - view.eye).Norm() * kNearPerDistance);
}

dg::DPoint3D ToWorld(const dg::Location& placement, const dg::DPoint3D& p) {
    return placement.GetPos() + dg::DVec3(p.x, p.y, p.z) * placement.GetRotation();
}

dg::DVec3 ToWorld(const dg::Location& placement, const dg::DVec3& v) {
    return v * placement.GetRotation();
}

ReplayScene::ReplayScene(const Scenario& s) : preferences(new sxk::Preferences) {
    du::SmartPtr<sxk::illustration::Illustration3dScene> scene(
        new sxk::illustration::Illustration3dScene);
    scene->SetMinCalloutSize(static_cast<sxmu::ModelNote::MinimumSize>(s.minCalloutSize));
    for (const ViewInput& input : ViewsOf(s))
        views.push_back(MakeView(input, scene, preferences));
    SetPreselectionColor(s.preselectionColor);

    for (const PartInput& config : s.parts)
        parts.push_back(MakePart(config));
    for (const LabelInput& config : s.labels)
        labels.push_back(MakeLabel(config));
    for (const LabelInput& config : s.callouts)
        callouts.push_back(MakeCallout(config, views));
    for (const CenterLineInput& config : s.centerLines) {
        centerLines.push_back(MakeCenterLine(config, views));
        MapHandles(centerLines.back());
    }
}

ReplayScene::~ReplayScene() {
    // Shadows first: each holds its markup.
    for (CenterLineEntry& e : centerLines)
        e.shadows.clear();
    for (CalloutEntry& e : callouts)
        e.shadows.clear();
    centerLines.clear();
    callouts.clear();
    labels.clear();
    parts.clear();
    for (SceneView& v : views) {
        v.view->defaultPreferences.reset();
        v.view->scene.reset();
    }
}

CenterLineEntry& ReplayScene::AddCenterLine(const CenterLineInput& config) {
    centerLines.push_back(MakeCenterLine(config, views));
    MapHandles(centerLines.back());
    return centerLines.back();
}

void ReplayScene::RemoveCenterLine(std::size_t index) {
    // Held until it is out of the list: the record may call back while it is told.
    const du::SmartPtr<sxmk::CenterLineXYZ> record = centerLines.at(index).record;
    record->OnRemovedFromHolder();
    centerLines[index].shadows.clear();
    centerLines.erase(centerLines.begin() + static_cast<std::ptrdiff_t>(index));
}

CalloutEntry& ReplayScene::AddCallout(const LabelInput& config) {
    callouts.push_back(MakeCallout(config, views));
    return callouts.back();
}

void ReplayScene::RemoveCallout(std::size_t index) {
    // Held until it is out of the list: the label may call back while it is told.
    const du::SmartPtr<sxmk::CalloutLabel> label = callouts.at(index).label;
    label->OnRemovedFromHolder();
    callouts[index].shadows.clear();
    callouts.erase(callouts.begin() + static_cast<std::ptrdiff_t>(index));
}

void ReplayScene::SetCamera(std::size_t view, const ViewInput& input) {
    SceneView& v = views.at(view);
    v.input = input;
    v.projector = Projector(MakeCamera(input));
    if (v.shapeView)
        v.shapeView->camera = v.projector.Camera();
}

void ReplayScene::SetPreselectionColor(const PreferenceValue& value) {
    switch (value.kind) {
        case PreferenceValue::Absent:
            preferences->Remove(kPreselectionColorKey);
            break;
        case PreferenceValue::Integer:
            preferences->SetInt(kPreselectionColorKey, value.integer);
            break;
        case PreferenceValue::Colour:
            preferences->SetColor(kPreselectionColorKey, value.colour);
            break;
        case PreferenceValue::Text:
            preferences->SetText(kPreselectionColorKey, value.text);
            break;
    }
}

void ReplayScene::ApplyPreferences() {
    for (LabelEntry& e : labels)
        e.label->OnApplyPreferences(preferences);
    for (CalloutEntry& e : callouts) {
        e.label->OnApplyPreferences(preferences);
        for (const du::SmartPtr<sxmk::CalloutLabelShadow>& shadow : e.shadows)
            shadow->OnApplyPreferences(preferences);
    }
    for (CenterLineEntry& e : centerLines) {
        e.record->OnApplyPreferences(preferences);
        for (const LineShadow& line : e.shadows)
            line.shadow->OnApplyPreferences(preferences);
    }
}

sxmu::ModelContainer* ReplayScene::RootOf(const LineShadow& line) {
    const sxmk::MarkupData* content = line.shadow ? line.shadow->GetContent() : nullptr;
    return content ? dynamic_cast<sxmu::ModelContainer*>(content->GetModelBase().get()) : nullptr;
}

sxmu::ModelNoteDragger* ReplayScene::DraggerOf(const sxmk::CalloutLabelShadow* shadow) {
    const sxmk::MarkupData* content = shadow ? shadow->GetContent() : nullptr;
    return content ? dynamic_cast<sxmu::ModelNoteDragger*>(content->GetModelBase().get()) : nullptr;
}

// A freshly built shadow lists its nodes head first: the jog arrow (when it applies), the end
// sphere, the start sphere, the end extension arrow, the start extension arrow, the line. Drags
// reorder the children later, so the mapping is read once per build and kept by identity.
void ReplayScene::MapHandles(CenterLineEntry& entry) {
    for (LineShadow& line : entry.shadows)
        MapHandles(entry, line);
}

void ReplayScene::RebuildShadows(CenterLineEntry& entry) {
    // By index: a rebuild may reach the viewer, which holds the list.
    for (std::size_t v = 0; v < entry.shadows.size(); ++v) {
        const du::SmartPtr<sxmk::CenterLineXYZShadow> shadow = entry.shadows[v].shadow;
        shadow->MarkupChanged();
    }
    MapHandles(entry);
}

void ReplayScene::MapHandles(const CenterLineEntry& entry, LineShadow& line) {
    line.handles.clear();
    line.normalAttrs.clear();
    const sxmu::ModelContainer* root = RootOf(line);
    if (!root)
        return;
    for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren())
        line.normalAttrs[child.get()] = child->GetRenderAttrsVector().get();
    std::vector<const sxmu::ModelBase*> spheres, arrows;
    for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren()) {
        if (dynamic_cast<const sxmu::ModelSphere*>(child.get()))
            spheres.push_back(child.get());
        else if (dynamic_cast<const sxmu::ModelLeaderLine*>(child.get()))
            arrows.push_back(child.get());
    }
    if (spheres.size() == 2) {
        line.handles[spheres[0]] = HandleName::EndPoint;
        line.handles[spheres[1]] = HandleName::StartPoint;
        // Cross-check with the record: the start sphere sits on its true start point.
        if (spheres[1]->location.GetPos() != entry.record->GetStartPoint() &&
            spheres[0]->location.GetPos() == entry.record->GetStartPoint())
            warnings.push_back(entry.config.id + ": the spheres are not in the documented order");
    }
    std::size_t a = 0;
    if (arrows.size() == 3)
        line.handles[arrows[a++]] = HandleName::Jog;
    if (arrows.size() - a == 2) {
        line.handles[arrows[a]] = HandleName::EndExtension;
        line.handles[arrows[a + 1]] = HandleName::StartExtension;
    }
}

std::optional<HandleName> ReplayScene::HandleOf(const LineShadow& line,
                                                const sxmu::ModelBase* node) {
    const auto it = line.handles.find(node);
    if (it != line.handles.end())
        return it->second;
    // The jog arrow of a shadow that was built without it joins the display later.
    if (dynamic_cast<const sxmu::ModelLeaderLine*>(node))
        return HandleName::Jog;
    return std::nullopt;
}

sxmu::ModelBase* ReplayScene::NodeOf(const LineShadow& line, HandleName handle) {
    for (const auto& [node, name] : line.handles)
        if (name == handle)
            return const_cast<sxmu::ModelBase*>(node);
    if (handle == HandleName::Jog) {
        if (const sxmu::ModelContainer* root = RootOf(line))
            for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren())
                if (dynamic_cast<const sxmu::ModelLeaderLine*>(child.get()) &&
                    HandleOf(line, child.get()) == HandleName::Jog)
                    return child.get();
    }
    return nullptr;
}

bool ReplayScene::IsHighlighted(const LineShadow& line, const sxmu::ModelBase* node) {
    if (!node)
        return false;
    const auto it = line.normalAttrs.find(node);
    if (it != line.normalAttrs.end())
        return node->GetRenderAttrsVector().get() != it->second;
    // A jog arrow that joined the display later: its preselected line is the heavier one.
    const sxmu::RenderAttrsVector* attrs = node->GetRenderAttrsVector().get();
    return attrs && dynamic_cast<const sxmu::ModelLeaderLine*>(node) && attrs->weight == 4;
}

CenterLineEntry* ReplayScene::FindCenterLine(const std::string& id) {
    return FindById(centerLines, id);
}

const CenterLineEntry* ReplayScene::FindCenterLine(const std::string& id) const {
    return FindById(centerLines, id);
}

CalloutEntry* ReplayScene::FindCallout(const std::string& id) {
    return FindById(callouts, id);
}

const CalloutEntry* ReplayScene::FindCallout(const std::string& id) const {
    return FindById(callouts, id);
}

sxk::Window* SceneView::Window() const {
    return view ? view->GetWindow().get() : nullptr;
}

bool ReplayScene::PicksPending() const {
    for (const SceneView& v : views)
        if (v.shapeView && !v.shapeView->pendingPicks.empty())
            return true;
    return false;
}

const std::string* ReplayScene::IdOf(const sxk::Object* object) const {
    for (const PartEntry& e : parts)
        if (e.shape.get() == object)
            return &e.config.id;
    for (const LabelEntry& e : labels)
        if (e.label.get() == object)
            return &e.config.id;
    for (const CalloutEntry& e : callouts) {
        if (e.label.get() == object)
            return &e.config.id;
        for (const du::SmartPtr<sxmk::CalloutLabelShadow>& shadow : e.shadows)
            if (shadow.get() == object)
                return &e.config.id;
    }
    for (const CenterLineEntry& e : centerLines) {
        if (e.record.get() == object)
            return &e.config.id;
        for (const LineShadow& line : e.shadows)
            if (line.shadow.get() == object)
                return &e.config.id;
    }
    return nullptr;
}

}  // namespace replay
