#include <sxk/Pick.h>

namespace sxk {

BaseAsyncEvent::BaseAsyncEvent() = default;

BaseAsyncEvent::~BaseAsyncEvent() = default;

void BaseAsyncEvent::OnManage() {}

void BaseAsyncEvent::EventHandler() {}

void BaseAsyncEvent::CompleteWithError(int error) {
    status = error;
    completed = true;
}

void BaseAsyncEvent::Complete() {
    completed = true;
}

int BaseAsyncEvent::Progress() const {
    return completed ? 100 : 0;
}

int BaseAsyncEvent::Status() const {
    return status;
}

void BaseAsyncEvent::Cancel() {
    cancelled = true;
}

void BaseAsyncEvent::HandleEvent(int) {}

void BaseAsyncEvent::OnPickUpdate(int) {}

void BaseAsyncEvent::OnPickComplete(int pickStatus) {
    status = pickStatus;
    completed = true;
}

void BaseAsyncEvent::OnStatus(int) {}

AsyncEvent::AsyncEvent() = default;

AsyncEvent::~AsyncEvent() = default;

PickEvent::PickEvent() = default;

PickEvent::~PickEvent() = default;

}  // namespace sxk
