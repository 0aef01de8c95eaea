#include <sxk/HostileViewer.h>
#include <sxk/Markup.h>
#include <sxmk/MarkupData.h>

namespace sxk {

const ClassType Markup::CLASS_TYPE{"sxk::Markup", &Object::CLASS_TYPE};

Markup::Markup() = default;

Markup::~Markup() = default;

const ClassType* Markup::GetClassType() const {
    return &CLASS_TYPE;
}

void Markup::OnApplyPreferences(const du::SmartPtr<Preferences>&) {}

bool Markup::IsEphemeral() const {
    return false;
}

void Markup::OnSetSelected(bool) {}

void Markup::OnChildSetSelected(bool) {}

void Markup::OnRemovedFromHolder() {}

void Markup::DoPreDrawFixup(const dg::Location&) {}

void Markup::NotifyContentChanged() {
    ++contentChangedCount;
    if (HostileViewer::IsOn(HostileViewer::NotifyTakesReference)) {
        // A viewer may hold the markup for as long as it handles the notification; the reference
        // is dropped again before the call returns.
        const du::SmartPtr<Markup> held(this);
    }
    static bool inCallBack = false;
    if (HostileViewer::IsOn(HostileViewer::NotifyCallsBack) && !inCallBack &&
        HostileViewer::CallBack()) {
        inCallBack = true;
        struct Done {
            ~Done() { inCallBack = false; }
        } done;
        HostileViewer::CallBack()(*this);
    }
}

void Markup::SetContent(const du::SmartPtr<sxmk::MarkupData>& data, bool notify) {
    drawnContent = data;
    ++setContentCount;
    if (notify)
        NotifyContentChanged();
}

sxmk::MarkupData* Markup::GetContent() const {
    return drawnContent.get();
}

void Markup::SetType(int markupType) {
    typeCode = markupType;
}

MarkupController::~MarkupController() = default;

}  // namespace sxk
