#pragma once

#include <du/Export.h>
#include <du/StandIn.h>
#include <sxmk/Markup.h>
#include <sxmu/Model.h>

SXHOST_HEADER_BEGIN

namespace sxmk {

// The description of a label: a note of its own.
class SXHOST_API Description {
public:
    SXHOST_STANDIN_ONLY explicit Description(const du::SmartPtr<sxmu::ModelNote>& n) : note(n) {}
    du::SmartPtr<sxmu::ModelNote> GetNote() const { return note; }

private:
    du::SmartPtr<sxmu::ModelNote> note;
};

// The title of a label: a note of its own.
class SXHOST_API Title {
public:
    SXHOST_STANDIN_ONLY explicit Title(const du::SmartPtr<sxmu::ModelNote>& n) : note(n) {}
    du::SmartPtr<sxmu::ModelNote> GetNote() const { return note; }

private:
    du::SmartPtr<sxmu::ModelNote> note;
};

// A label markup: a note with an optional description and title. The label owns the
// description and title objects (deleted with the label).
class SXHOST_API Label : public Markup {
public:
    Label();
    ~Label() override;

    void OnRemovedFromHolder() override;
    void Translate(const dg::DVec3& delta, const dg::Location& placement) override;

    // The label's position: its note's position, or the origin without a note.
    dg::DPoint3D GetPos() const;

    du::SmartPtr<sxmu::ModelNote> note;
    Description* description = nullptr;
    Title* title = nullptr;
};

}  // namespace sxmk

SXHOST_HEADER_END
