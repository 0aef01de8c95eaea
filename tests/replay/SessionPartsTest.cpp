// The parts of a session: no two files of the replay tool depend on each other through their
// headers, and a session that ends in the middle of a drag or a pick lets go of everything: the
// player releases the drag and gives up the pick, the scene takes away the kernel it installed.
#include "HostFixture.h"
#include "Player.h"
#include "ReplayScene.h"
#include "Scenario.h"
#include "ScenarioActions.h"
#include "Session.h"
#include "UndoController.h"

#include <gtest/gtest.h>

#include <sxk/Kernel.h>
#include <sxk/Operation.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using replay::Action;
using replaytest::Pointer;

// Which other files' headers each file of the tool includes, by base name (Session.h and
// Session.cpp are one node).
std::map<std::string, std::set<std::string>> IncludeGraph(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().stem().string());
    std::map<std::string, std::set<std::string>> graph;
    const std::regex include("#include \"([^\"]+)\\.h\"");
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream file(entry.path());
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        const std::string from = entry.path().stem().string();
        graph[from];
        for (std::sregex_iterator it(text.begin(), text.end(), include), end; it != end; ++it)
            if (names.count((*it)[1]) && (*it)[1] != from)
                graph[from].insert((*it)[1]);
    }
    return graph;
}

// A cycle through the graph, as the names along it; empty when there is none.
std::vector<std::string> FindCycle(const std::map<std::string, std::set<std::string>>& graph) {
    std::map<std::string, int> state;  // 1 on the path, 2 done
    std::vector<std::string> path;
    std::vector<std::string> cycle;
    std::function<bool(const std::string&)> visit = [&](const std::string& node) {
        state[node] = 1;
        path.push_back(node);
        for (const std::string& next : graph.at(node)) {
            if (state[next] == 1) {
                cycle.assign(std::find(path.begin(), path.end(), next), path.end());
                cycle.push_back(next);
                return true;
            }
            if (state[next] == 0 && visit(next))
                return true;
        }
        path.pop_back();
        state[node] = 2;
        return false;
    };
    for (const auto& [node, edges] : graph)
        if (state[node] == 0 && visit(node))
            return cycle;
    return {};
}

TEST(SessionParts, NoTwoFilesOfTheToolDependOnEachOther) {
    const auto graph = IncludeGraph(ILLSXMK_REPLAY_SOURCE_DIR);
    ASSERT_TRUE(graph.count("Session") && graph.count("Frames") && graph.count("Expectations"));
    std::string cycle;
    for (const std::string& node : FindCycle(graph))
        cycle += (cycle.empty() ? "" : " -> ") + node;
    EXPECT_EQ(cycle, "");
    // The parts that only look at a session do so through its view.
    for (const char* viewer : {"Frames", "Expectations", "SessionText", "ExpectationFields"})
        EXPECT_EQ(graph.at(viewer).count("Session"), 0u) << viewer;

    // The check itself finds a cycle.
    std::map<std::string, std::set<std::string>> looped{{"a", {"b"}}, {"b", {"c"}}, {"c", {"a"}}};
    EXPECT_EQ(FindCycle(looped), (std::vector<std::string>{"a", "b", "c", "a"}));
}

replay::Scenario DefaultScene() {
    const replay::ParseOutcome parsed = replay::ParseScenario(replay::DefaultScenarioText());
    EXPECT_TRUE(parsed.scenario) << parsed.error;
    replay::Scenario scene = parsed.scenario.value_or(replay::Scenario{});
    scene.actions.clear();
    return scene;
}

class SessionEnd : public testsupport::HostFixture {};

// cl1's end point dragged: the session ends with the drag open, or with its drop waiting for the
// pick. Either way the fixture finds every host object released and nothing misused, and the
// operation history empty.
TEST_F(SessionEnd, ADragOrAPickStillOpenIsLetGo) {
    for (const bool released : {false, true}) {
        SCOPED_TRACE(released ? "pick pending" : "drag open");
        {
            replay::Session session(DefaultScene());
            session.Play(Pointer(Action::Press, 496, 348));
            session.Play(Pointer(Action::Move, 625, 345));
            if (released) {
                Action release;
                release.kind = Action::Release;
                session.Play(release);
                ASSERT_EQ(session.PendingPicks().size(), 1u);
            }
            ASSERT_TRUE(session.Busy());
            ASSERT_TRUE(session.GetPointer().known);
        }
        EXPECT_TRUE(sxk::RecordedOperations().empty());
        EXPECT_NE(sxk::Kernel::GetKernel(), nullptr) << "the kernel the session found stays";
    }
}

// The player on its own, wired as a session wires it: letting go releases the open drag, whose
// drop then waits for a pick, and gives that pick up; the failed pick reaches the controller as
// the drop's stop.
TEST_F(SessionEnd, LetGoReleasesTheDragAndGivesUpItsPick) {
    const replay::Scenario scenario = DefaultScene();
    replay::ReplayScene scene(scenario);
    replay::UndoController controller(scene);
    for (replay::CenterLineEntry& e : scene.centerLines)
        e.record->SetController(&controller);
    {
        replay::Player player(scene, controller);
        replay::ActionLog log;
        player.Play(Pointer(Action::Press, 496, 348), log);
        player.Play(Pointer(Action::Move, 625, 345), log);
        ASSERT_TRUE(player.Busy());
        ASSERT_TRUE(scene.views[0].shapeView->pendingPicks.empty());
        EXPECT_EQ(controller.Calls(), 0);
        player.LetGo();
        EXPECT_FALSE(player.Busy());
        EXPECT_TRUE(scene.views[0].shapeView->pendingPicks.empty());
        EXPECT_EQ(controller.Calls(), 1);
    }
    for (replay::CenterLineEntry& e : scene.centerLines)
        e.record->SetController(nullptr);
}

// A session that found no kernel installs one for its scene and takes it away with it.
TEST_F(SessionEnd, TheKernelTheSceneInstalledGoesWithIt) {
    sxk::Kernel::Remove();
    {
        replay::Session session(DefaultScene());
        EXPECT_NE(sxk::Kernel::GetKernel(), nullptr);
        session.Play(Pointer(Action::Hover, 496, 348));
    }
    EXPECT_EQ(sxk::Kernel::GetKernel(), nullptr);
    sxk::Kernel::Install();
}

}  // namespace
