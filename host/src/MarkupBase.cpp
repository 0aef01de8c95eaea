#include <sxmk/Label.h>
#include <sxmk/LeaderLine.h>
#include <sxmk/Markup.h>
#include <sxmk/MarkupData.h>

namespace sxmk {

MarkupData::MarkupData(MarkupShadow* owner) : shadow(owner) {}

MarkupData::~MarkupData() = default;

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

LeaderLine::LeaderLine() : anchorNode(new sxmu::ModelBase) {}

LeaderLine::~LeaderLine() = default;

Label::Label() = default;

Label::~Label() {
    delete description;
    delete title;
}

void Label::OnRemovedFromHolder() {}

// Moves the label's note with the label.
void Label::Translate(const dg::DVec3& delta, const dg::Location& where) {
    Markup::Translate(delta, where);
    if (note)
        note->location.SetPos(note->location.GetPos() + delta);
}

dg::DPoint3D Label::GetPos() const {
    return note ? note->location.GetPos() : dg::DPoint3D::ORIGIN;
}

}  // namespace sxmk
