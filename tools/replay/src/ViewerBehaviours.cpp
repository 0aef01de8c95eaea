#include "ViewerBehaviours.h"

namespace replay {

namespace {

// The scope whose session set the behaviours in force (the newest one).
const BehaviourScope* owner = nullptr;

}  // namespace

std::vector<std::string> BehaviourList(unsigned behaviours) {
    std::vector<std::string> names;
    for (unsigned bit = 1; bit != 0 && bit <= sxk::HostileViewer::kAll; bit <<= 1u)
        if ((behaviours & bit) != 0)
            names.emplace_back(
                sxk::HostileViewer::NameOf(static_cast<sxk::HostileViewer::Behaviour>(bit)));
    return names;
}

std::string BehaviourNames(unsigned behaviours) {
    std::string text;
    for (const std::string& name : BehaviourList(behaviours))
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

BehaviourScope::BehaviourScope() {
    sxk::HostileViewer::Reset();
    owner = this;
}

BehaviourScope::~BehaviourScope() {
    End();
}

void BehaviourScope::End() {
    if (owner != this)
        return;
    sxk::HostileViewer::Reset();
    owner = nullptr;
}

}  // namespace replay
