#pragma once

#include <du/Export.h>
#include <du/StandIn.h>

#include <functional>
#include <string>

SXHOST_HEADER_BEGIN

namespace sxk {

class Markup;

// The viewer's legal worst case. A polite viewer holds its shadows for as long as it drives them,
// never calls back while it is being called, completes a pick later and once. The viewer's
// contract promises none of that. Each switch below turns on one behaviour that the contract
// allows and a polite viewer would not show; all are off by default. Tests and tools switch them
// on to prove that the library survives them.
//
// Where a behaviour needs what only the test or tool knows (which references the viewer holds,
// how it rebuilds a shadow, what a re-entrant call does), it calls the hook that the test or
// tool set; an unset hook does nothing.
class SXHOST_STANDIN_ONLY SXHOST_API HostileViewer {
public:
    enum Behaviour : unsigned {
        // The markup's controller lets go of the viewer's references to the shadow and the
        // markup inside HandleShadowStop (hook LetGo).
        ControllerLetsGo = 1u << 0,
        // The controller rebuilds the shadow synchronously inside HandleShadowStop (hook
        // Rebuild).
        ControllerRebuilds = 1u << 1,
        // NotifyContentChanged takes a counted reference to the markup and drops it again.
        NotifyTakesReference = 1u << 2,
        // NotifyContentChanged calls back into the notifying markup (hook CallBack); not again
        // from inside that call.
        NotifyCallsBack = 1u << 3,
        // PickAsync completes the pick inside the call, with ShapeView::atOnceResults and
        // atOnceStatus.
        PickAtOnce = 1u << 4,
        // PickAsync throws std::bad_alloc.
        PickRequestThrows = 1u << 5,
        // Kernel::ManageObject throws std::bad_alloc.
        ManageObjectThrows = 1u << 6,
        // Each pick completion is delivered twice.
        PickDeliveredTwice = 1u << 7,
        // Preferences::GetIntUIAsColor answers false, after writing not-a-number into the colour.
        PreferenceReadFails = 1u << 8,
        // DVec3::Normalize of a zero vector makes it not-a-number (and answers false).
        NormalizeZeroGivesNaN = 1u << 9,
    };
    static constexpr unsigned kAll = (1u << 10) - 1u;

    static unsigned Active();
    static bool IsOn(Behaviour behaviour);
    static void Set(unsigned behaviours);
    // Everything off and every hook cleared.
    static void Reset();

    // The name of one behaviour ("controller-lets-go", ...), and a comma-separated list of names
    // read into a set of behaviours: false (and out untouched) when a name is unknown.
    static const char* NameOf(Behaviour behaviour);
    static bool Parse(const std::string& names, unsigned& out);
    // The set named by the environment variable ILLSXMK_HOSTILE_VIEWER (0 when unset); an unknown
    // name is reported on standard error and ignored.
    static unsigned FromEnvironment();

    static std::function<void()>& LetGo();
    static std::function<void()>& Rebuild();
    static std::function<void(Markup& notifying)>& CallBack();

    // A stand-in controller calls this at the end of HandleShadowStop: it lets go, then
    // rebuilds, as switched on.
    static void AfterShadowStop();
};

}  // namespace sxk

SXHOST_HEADER_END
