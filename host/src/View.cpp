#include <sxk/HostileViewer.h>
#include <sxk/Kernel.h>
#include <sxk/View.h>

#include <new>
#include <utility>

namespace sxk {

Window::Window() = default;

Window::~Window() = default;

void Window::SetCursor(const du::Symbol& cursor) {
    currentCursor = cursor;
    ++setCursorCount;
}

void Window::ResetCursor() {
    currentCursor = du::Symbol::EMPTY;
    ++resetCursorCount;
}

// A view comes with its scene and window, as the viewer's do.
View::View() : scene(new Scene), window(new Window) {}

View::~View() = default;

bool View::GetDefaultPreferences(du::SmartPtr<Preferences>& out) const {
    if (!defaultPreferences)
        return false;
    out = defaultPreferences;
    return true;
}

ShapeView::ShapeView() = default;

ShapeView::~ShapeView() = default;

void ShapeView::PickAsync(int x, int y, unsigned int flags, const du::SmartPtr<PickEvent>& event) {
    // A request without an event has nobody to complete; the viewer drops it.
    if (!event)
        return;
    try {
        if (failPickRequests > 0 || HostileViewer::IsOn(HostileViewer::PickRequestThrows)) {
            if (failPickRequests > 0)
                --failPickRequests;
            throw std::bad_alloc();
        }
        if (pickAtOnce || HostileViewer::IsOn(HostileViewer::PickAtOnce)) {
            Deliver(event, atOnceResults, atOnceStatus);
            return;
        }
        pendingPicks.push_back(PendingPick{x, y, flags, event});
    } catch (...) {
        // The kernel keeps a managed pick event until its pick completes; one that could not be
        // queued never completes, so the kernel lets go of it now.
        if (Kernel* kernel = Kernel::GetKernel())
            kernel->Unmanage(event.get());
        throw;
    }
}

bool ShapeView::CompletePick(const std::vector<PickResult>& results, int status) {
    if (pendingPicks.empty())
        return false;
    // Taken off the queue first: the event's handler may queue another pick.
    const du::SmartPtr<PickEvent> event = std::move(pendingPicks.front().event);
    pendingPicks.pop_front();
    Deliver(event, results, status);
    return true;
}

void ShapeView::Deliver(const du::SmartPtr<PickEvent>& event,
                        const std::vector<PickResult>& results, int status) {
    // The kernel lets go of the event once it has completed, also when its handler throws.
    struct LetGo {
        const PickEvent* event;
        ~LetGo() {
            if (Kernel* kernel = Kernel::GetKernel())
                kernel->Unmanage(event);
        }
    } letGo{event.get()};
    // One completion, however often it is delivered.
    if (event->cancelled)
        ++detachedCompletions;
    const int deliveries = HostileViewer::IsOn(HostileViewer::PickDeliveredTwice) ? 2 : 1;
    for (int i = 0; i < deliveries; ++i) {
        event->results = results;
        event->OnPickComplete(status);
    }
}

}  // namespace sxk
