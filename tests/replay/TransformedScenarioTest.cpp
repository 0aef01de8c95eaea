// Scenarios moved far from the origin, and written in other units: the default session and a few
// examples, their world mapped by p -> p * scale + shift, play green with the same pointer
// positions (the camera moves with the scene) and hit the same handles.
#include "HostFixture.h"
#include "Replay.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using replay::Action;
using replay::Scenario;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// p -> p * scale + shift; lengths are multiplied by scale.
struct Affine {
    double scale = 1.0;
    dg::DVec3 shift;

    dg::DPoint3D Point(const dg::DPoint3D& p) const {
        return {p.x * scale + shift.x, p.y * scale + shift.y, p.z * scale + shift.z};
    }
};

// The map of a placed object's own points (p * rotation + position in the world) such that its
// world points follow the world's map; the placement's position is mapped to match. An
// unrotated object takes the shift in its own points, so that the library works with the far
// coordinates; a rotated one takes it in its position, since the single-precision rotation could
// not carry it back exactly.
Affine Place(const Affine& world, dg::Location& placement) {
    const bool rotated = !(placement.GetRotation() == dg::FMat33());
    const dg::DPoint3D pos = placement.GetPos();
    placement.SetPos(rotated ? world.Point(pos) : Affine{world.scale, {}}.Point(pos));
    return Affine{world.scale, rotated ? dg::DVec3() : world.shift};
}

// The expectation's positions and lengths follow the markup it checks; its tolerance scales
// with them. A ratio has no unit: it is split off into an expect of its own, tolerance kept.
std::vector<Action> MapExpect(const Action& action, const Affine& world,
                              const std::map<std::string, Affine>& objects) {
    Action mapped = action;
    replay::Expectation& e = mapped.expect;
    Action ratio;
    ratio.kind = Action::Expect;
    ratio.expect.markup = e.markup;
    ratio.expect.tolerance = e.tolerance;
    ratio.expect.ratio = e.ratio;
    e.ratio.reset();
    const auto it = objects.find(e.markup);
    const Affine object = it != objects.end() ? it->second : Affine{world.scale, {}};
    for (std::optional<dg::DPoint3D>* p : {&e.startPoint, &e.endPoint, &e.position})
        if (*p)
            **p = object.Point(**p);
    if (e.points)
        for (dg::DPoint3D& p : *e.points)
            p = object.Point(p);
    for (auto& handle : e.handles)
        handle.second = object.Point(handle.second);
    for (std::optional<double>* length : {&e.startExtension, &e.endExtension})
        if (*length)
            **length *= world.scale;
    // An exact check holds where the scenario's values are exact; scaled, a single-precision
    // input (an extension) rounds elsewhere, so it is checked within the default tolerance.
    e.tolerance = (e.tolerance > 0.0 ? e.tolerance : replay::Expectation().tolerance) * world.scale;
    if (ratio.expect.ratio)
        return {mapped, ratio};
    return {mapped};
}

Scenario Transformed(Scenario s, const Affine& world) {
    EXPECT_TRUE(s.view.shapeView) << "a plain view shows one world unit per pixel";
    s.view.eye = world.Point(s.view.eye);
    s.view.target = world.Point(s.view.target);
    s.view.parallelWidth *= world.scale;
    for (replay::PartInput& part : s.parts) {
        part.min = world.Point(part.min);
        part.max = world.Point(part.max);
    }
    std::map<std::string, Affine> objects;
    for (std::vector<replay::LabelInput>* notes : {&s.labels, &s.callouts})
        for (replay::LabelInput& note : *notes) {
            const Affine map = Place(world, note.placement);
            note.position = map.Point(note.position);
            objects[note.id] = map;
        }
    for (replay::CenterLineInput& line : s.centerLines) {
        const Affine map = Place(world, line.placement);
        line.start = map.Point(line.start);
        line.end = map.Point(line.end);
        line.startExtension = static_cast<float>(line.startExtension * world.scale);
        line.endExtension = static_cast<float>(line.endExtension * world.scale);
        objects[line.id] = map;
    }
    std::vector<Action> actions;
    for (Action& a : s.actions) {
        for (replay::PickResultInput& result : a.results)
            if (result.point)
                result.point = world.Point(*result.point);
        if (a.kind != Action::Expect) {
            actions.push_back(a);
            continue;
        }
        for (Action& e : MapExpect(a, world, objects))
            actions.push_back(e);
    }
    s.actions = actions;
    return s;
}

// What each action other than an expect did, as its headline says (the handle hit, the pick's
// pixel, ...), without the step number, which the split expectations shift.
std::vector<std::string> Headlines(const replay::ReplayResult& result) {
    std::vector<std::string> out;
    for (const std::string& line : result.log) {
        if (line.empty() || line[0] != '[')
            continue;
        const std::string what = line.substr(line.find(']') + 2);
        if (what.rfind("expect", 0) != 0)
            out.push_back(what);
    }
    return out;
}

struct Played {
    replay::ReplayResult result;
    std::string log;
};

Played Play(const Scenario& scenario) {
    std::ostringstream out, err;
    Played played;
    played.result = replay::ReplayScenario(scenario, {"", false}, out, err);
    played.log = err.str() + out.str();
    return played;
}

const struct {
    const char* name;
    Affine map;
} kMaps[] = {
    {"moved by (1e6, -2e5, 3e4)", {1.0, {1e6, -2e5, 3e4}}},
    {"in units a thousand times larger", {1e-3, {}}},
    {"in units a thousand times smaller", {1e3, {}}},
    {"in larger units and moved", {1e-3, {1e3, -2e2, 3e1}}},
};

const char* const kExamples[] = {
    "straight-end-point-on-part",
    "along-axis-jog-past-end",
    "negative-extension",
    "callout-undo-redo",
    "rotated-markup-extension-drag",
    "jog-ratio-follows-the-drawn-jog",
    "next-pick-lands-on-the-new-drop",
    "jog-on-ends-across-main-axis-does-not-move",
};

class TransformedScenario : public testsupport::HostFixture {
protected:
    void ExpectSamePlay(const std::string& name, const Scenario& original) {
        const Played reference = Play(original);
        ASSERT_EQ(reference.result.status, replay::kExitOk) << reference.log;
        for (const auto& m : kMaps) {
            SCOPED_TRACE(name + ", " + m.name);
            const Played moved = Play(Transformed(original, m.map));
            EXPECT_EQ(moved.result.status, replay::kExitOk) << moved.log;
            EXPECT_EQ(moved.result.checksFailed, 0);
            EXPECT_EQ(moved.result.checksPassed, reference.result.checksPassed);
            EXPECT_EQ(Headlines(moved.result), Headlines(reference.result)) << moved.log;
        }
    }
};

TEST_F(TransformedScenario, DefaultSessionPlaysAlikeMovedAndScaled) {
    const replay::ParseOutcome parsed = replay::ParseScenario(replay::DefaultScenarioText());
    ASSERT_TRUE(parsed.scenario.has_value()) << parsed.error;
    ExpectSamePlay("default session", *parsed.scenario);

    // With the host's fixed near distance of 0.1 the session in metres shows nothing to hover or
    // grab, eye and target being 0.02 apart.
    Scenario metres = Transformed(*parsed.scenario, {1e-3, {}});
    metres.view.nearDistance = 0.1;
    const Played hidden = Play(metres);
    EXPECT_GT(hidden.result.checksFailed, 0);
    EXPECT_NE(hidden.log.find("hover 496,348: over nothing"), std::string::npos) << hidden.log;
}

TEST_F(TransformedScenario, ExamplesPlayAlikeMovedAndScaled) {
    for (const char* example : kExamples) {
        const fs::path path = fs::path(ILLSXMK_EXAMPLES_DIR) / (std::string(example) + ".json");
        const replay::ParseOutcome parsed = replay::ParseScenario(ReadFile(path));
        ASSERT_TRUE(parsed.scenario.has_value()) << path << ": " << parsed.error;
        ExpectSamePlay(example, *parsed.scenario);
    }
}

}  // namespace
