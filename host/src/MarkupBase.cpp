// sxmk::Markup, the markup base library's markup (sxmk/Markup.h). Markup.cpp holds the kernel's
// sxk::Markup, which this class derives from.
#include <sxmk/Markup.h>

namespace sxmk {

Markup::Markup() = default;

Markup::~Markup() = default;

void Markup::OnSetSelected(bool isSelected) {
    selected = isSelected;
}

void Markup::OnRemovedFromHolder() {}

void Markup::DoPreDrawFixup(const dg::Location&) {}

void Markup::Translate(const dg::DVec3&, const dg::Location&) {
    ++translateCount;
}

sxk::Markup* Markup::ConstructShadow(const du::SmartPtr<sxk::View>&) {
    return nullptr;
}

sxk::Markup* Markup::GetShadow(const du::SmartPtr<sxk::View>&) const {
    return nullptr;
}

}  // namespace sxmk
