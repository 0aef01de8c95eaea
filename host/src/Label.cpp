#include <sxmk/Label.h>

namespace sxmk {

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
