#include <sxk/HostileViewer.h>

#include <cstdio>
#include <cstdlib>

namespace sxk {

namespace {

unsigned active = 0;

struct Named {
    HostileViewer::Behaviour behaviour;
    const char* name;
};

const Named kNames[] = {
    {HostileViewer::ControllerLetsGo, "controller-lets-go"},
    {HostileViewer::ControllerRebuilds, "controller-rebuilds"},
    {HostileViewer::NotifyTakesReference, "notify-takes-reference"},
    {HostileViewer::NotifyCallsBack, "notify-calls-back"},
    {HostileViewer::PickAtOnce, "pick-at-once"},
    {HostileViewer::PickRequestThrows, "pick-request-throws"},
    {HostileViewer::ManageObjectThrows, "manage-object-throws"},
    {HostileViewer::PickDeliveredTwice, "pick-delivered-twice"},
    {HostileViewer::PreferenceReadFails, "preference-read-fails"},
    {HostileViewer::NormalizeZeroGivesNaN, "normalize-zero-nan"},
};

}  // namespace

unsigned HostileViewer::Active() {
    return active;
}

bool HostileViewer::IsOn(Behaviour behaviour) {
    return (active & behaviour) != 0;
}

void HostileViewer::Set(unsigned behaviours) {
    active = behaviours & kAll;
}

void HostileViewer::Reset() {
    active = 0;
    LetGo() = nullptr;
    Rebuild() = nullptr;
    CallBack() = nullptr;
}

const char* HostileViewer::NameOf(Behaviour behaviour) {
    for (const Named& named : kNames) {
        if (named.behaviour == behaviour)
            return named.name;
    }
    return "";
}

bool HostileViewer::Parse(const std::string& names, unsigned& out) {
    unsigned set = 0;
    std::size_t begin = 0;
    while (begin <= names.size()) {
        std::size_t end = names.find(',', begin);
        if (end == std::string::npos)
            end = names.size();
        const std::string name = names.substr(begin, end - begin);
        if (!name.empty()) {
            bool known = false;
            for (const Named& named : kNames) {
                if (name == named.name) {
                    set |= named.behaviour;
                    known = true;
                }
            }
            if (!known)
                return false;
        }
        begin = end + 1;
    }
    out = set;
    return true;
}

unsigned HostileViewer::FromEnvironment() {
    const char* names = std::getenv("ILLSXMK_HOSTILE_VIEWER");
    if (names == nullptr)
        return 0;
    unsigned set = 0;
    if (!Parse(names, set)) {
        std::fprintf(stderr, "ILLSXMK_HOSTILE_VIEWER: unknown behaviour in '%s'\n", names);
        return 0;
    }
    return set;
}

std::function<void()>& HostileViewer::LetGo() {
    static std::function<void()> hook;
    return hook;
}

std::function<void()>& HostileViewer::Rebuild() {
    static std::function<void()> hook;
    return hook;
}

std::function<void(Markup&)>& HostileViewer::CallBack() {
    static std::function<void(Markup&)> hook;
    return hook;
}

void HostileViewer::AfterShadowStop() {
    // Copied first: a hook may replace itself.
    if (IsOn(ControllerLetsGo)) {
        const std::function<void()> letGo = LetGo();
        if (letGo)
            letGo();
    }
    if (IsOn(ControllerRebuilds)) {
        const std::function<void()> rebuild = Rebuild();
        if (rebuild)
            rebuild();
    }
}

}  // namespace sxk
