#pragma once

#include <dg/Camera3D.h>
#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/SmartPtr.h>
#include <du/StandIn.h>
#include <du/Symbol.h>
#include <sxk/Pick.h>
#include <sxk/Preferences.h>
#include <sxk/Scene.h>

#include <deque>
#include <vector>

SXHOST_HEADER_BEGIN

namespace sxk {

// The window of a view; it keeps the cursor it shows.
class SXHOST_API Window : public virtual du::RefCounted {
public:
    SXHOST_STANDIN_ONLY Window();
    ~Window() override;

    void SetCursor(const du::Symbol& cursor);
    void ResetCursor();

    SXHOST_STANDIN_ONLY du::Symbol currentCursor;  // EMPTY: the default cursor
    SXHOST_STANDIN_ONLY int setCursorCount = 0;
    SXHOST_STANDIN_ONLY int resetCursorCount = 0;
};

// A view of a scene.
class SXHOST_API View : public virtual du::RefCounted {
public:
    SXHOST_STANDIN_ONLY View();
    ~View() override;

    du::SmartPtr<Scene> GetScene() const { return scene; }
    du::SmartPtr<Window> GetWindow() const { return window; }
    // The view's default preferences into out; false when it has none.
    bool GetDefaultPreferences(du::SmartPtr<Preferences>& out) const;

    SXHOST_STANDIN_ONLY du::SmartPtr<Scene> scene;
    SXHOST_STANDIN_ONLY du::SmartPtr<Window> window;
    SXHOST_STANDIN_ONLY du::SmartPtr<Preferences> defaultPreferences;
};

// A view that shows shapes through a 3D camera and can pick.
class SXHOST_API ShapeView : public View {
public:
    SXHOST_STANDIN_ONLY ShapeView();
    ~ShapeView() override;

    void GetCamera(dg::Camera3D& out) const { out = camera; }

    // Queues a pick at window position (x, y); it completes when CompletePick is called.
    void PickAsync(int x, int y, unsigned int flags, const du::SmartPtr<PickEvent>& event);

    struct SXHOST_STANDIN_ONLY PendingPick {
        int x;
        int y;
        unsigned int flags;
        du::SmartPtr<PickEvent> event;
    };
    // Completes the oldest pending pick with these results and status, then lets the kernel
    // drop the event. False when no pick is pending. A cancelled event still gets its
    // completion (so its owner's handling of a late result is exercised), and is counted.
    SXHOST_STANDIN_ONLY bool CompletePick(const std::vector<PickResult>& results, int status);

    SXHOST_STANDIN_ONLY dg::Camera3D camera;
    SXHOST_STANDIN_ONLY std::deque<PendingPick> pendingPicks;
    // Test hook: the next failPickRequests calls of PickAsync fail with std::bad_alloc before
    // queuing, as when the queue cannot grow.
    SXHOST_STANDIN_ONLY int failPickRequests = 0;
    // Completions delivered to an event that its owner had cancelled (detached) before.
    SXHOST_STANDIN_ONLY int detachedCompletions = 0;
    // What a pick completed inside PickAsync answers (HostileViewer::PickAtOnce, pickAtOnce).
    SXHOST_STANDIN_ONLY std::vector<PickResult> atOnceResults;
    SXHOST_STANDIN_ONLY int atOnceStatus = 0;
    // This view completes its picks inside PickAsync, as HostileViewer::PickAtOnce does for all.
    SXHOST_STANDIN_ONLY bool pickAtOnce = false;

private:
    // Completes event with these results and status, then lets the kernel drop it.
    void Deliver(const du::SmartPtr<PickEvent>& event, const std::vector<PickResult>& results,
                 int status);
};

}  // namespace sxk

SXHOST_HEADER_END
