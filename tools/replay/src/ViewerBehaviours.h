#pragma once

// The stand-in viewer's legal but unusual behaviours (sxk::HostileViewer) as scenarios name them,
// and the scope in which a session switches them: none when it starts, none once it is over.

#include <sxk/HostileViewer.h>

#include <string>
#include <vector>

namespace replay {

// What a viewer action may switch on: everything but the controller letting go of the markups,
// which the scene holds for its pictures and checks.
constexpr unsigned kPlayableBehaviours =
    sxk::HostileViewer::kAll & ~static_cast<unsigned>(sxk::HostileViewer::ControllerLetsGo);

// The names of the behaviours in a set, in the order of their bits.
std::vector<std::string> BehaviourList(unsigned behaviours);
// The same, comma-separated ("pick-at-once, pick-delivered-twice").
std::string BehaviourNames(unsigned behaviours);

// Switches every behaviour off and clears the hooks when a session starts, and again when it ends
// unless a newer session has taken over meanwhile (a live session replays into a new session
// before the old one goes).
class BehaviourScope {
public:
    BehaviourScope();
    ~BehaviourScope();
    BehaviourScope(const BehaviourScope&) = delete;
    BehaviourScope& operator=(const BehaviourScope&) = delete;

    // Everything off and the hooks cleared now, unless a newer session has taken over.
    void End();
};

}  // namespace replay
