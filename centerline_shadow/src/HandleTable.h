#pragma once

// The shadow's handle table: which display node belongs to which dragger, which point of the
// drawn list each dragger moves, where each handle stands and whether it is shown. The drag
// start, the hiding and showing around a drag, the highlight, the node moves and the constrained
// drags all read it here.
#include <sxmk/CenterLineXYZShadow.h>

#include "Geometry.h"
#include "LineLayout.h"
#include "ViewerAdapter.h"

#include <cstddef>
#include <vector>

namespace sxmk {
namespace detail {

enum class Handle { StartSphere, EndSphere, StartArrow, EndArrow, JogArrow };

inline bool IsExtensionArrow(Handle handle) {
    return handle == Handle::StartArrow || handle == Handle::EndArrow;
}

// The sphere of the start or the end point.
constexpr Handle EndSphereOf(bool atStart) {
    return atStart ? Handle::StartSphere : Handle::EndSphere;
}

// What a dragger grabs: its handle, the end it belongs to (the jog belongs to neither) and
// whether it moves an end point rather than an arrow.
struct DraggerRow {
    CenterLineXYZShadow::PickedDragger dragger;
    Handle handle;
    bool atStart;
    bool isPoint;
};

// In the order a grabbed node is looked up.
constexpr DraggerRow kDraggerRows[] = {
    {CenterLineXYZShadow::StartPointDragger, Handle::StartSphere, true, true},
    {CenterLineXYZShadow::JogDragger, Handle::JogArrow, false, false},
    {CenterLineXYZShadow::EndPointDragger, Handle::EndSphere, false, true},
    {CenterLineXYZShadow::StartExtensionDragger, Handle::StartArrow, true, false},
    {CenterLineXYZShadow::EndExtensionDragger, Handle::EndArrow, false, false},
};

// The row of a dragger; null for NoDragger (or any value outside the enumeration).
inline const DraggerRow* RowOf(CenterLineXYZShadow::PickedDragger dragger) {
    for (const DraggerRow& row : kDraggerRows) {
        if (row.dragger == dragger)
            return &row;
    }
    return nullptr;
}

// The index in a drawn list of n points of the node that a dragger moves: the end's slot for an
// end point, its extension point for an extension arrow, the jog's mid point (mid) for the jog;
// -1 for NoDragger.
inline int MovedIndex(CenterLineXYZShadow::PickedDragger dragger, std::size_t n, int mid) {
    const DraggerRow* row = RowOf(dragger);
    if (row == nullptr)
        return -1;
    if (row->handle == Handle::JogArrow)
        return mid;
    return static_cast<int>(row->isPoint ? LineLayout::SlotIndex(row->atStart, n)
                                         : LineLayout::ExtensionIndex(row->atStart, n));
}

// Whether a list of the record has its jog: the record lays out along the axes, and the list holds
// the mid jog point and the extension points three away from it on either side.
inline bool HasJogIn(const CenterLineXYZ& record, const std::vector<dg::DPoint3D>& list) {
    const int m = record.GetMidPointIndex();
    return record.IsAlongAxis() && m >= LineLayout::kMidJog &&
           IsIndexOf(m + LineLayout::kMidJog, list);
}

// The mid jog point of the record's stored list, when that list has its jog.
inline bool StoredJogOf(CenterLineXYZ& record, dg::DPoint3D& at) {
    const std::vector<dg::DPoint3D>& stored = *record.GetPoints();
    if (!HasJogIn(record, stored))
        return false;
    at = stored[static_cast<std::size_t>(record.GetMidPointIndex())];
    return true;
}

// The shadow's handles by name (a friend of the shadow). A built shadow has all five; a lookup
// gives null for a handle that is missing all the same (a sphere asked for as an arrow, or the
// other way round).
class HandleSet {
public:
    explicit HandleSet(const CenterLineXYZShadow& owner) : shadow(owner) {}

    // The sphere of an end handle; null for an arrow.
    sxmu::ModelSphere* Sphere(Handle handle) const {
        const std::size_t i = handle == Handle::StartSphere ? 0 : 1;
        if ((handle != Handle::StartSphere && handle != Handle::EndSphere) ||
            shadow.sphereDraggers.size() <= i)
            return nullptr;
        return Raw(shadow.sphereDraggers[i]);
    }

    // The axis of an arrow handle; null for a sphere.
    TranslatorAxis* Axis(Handle handle) const {
        switch (handle) {
            case Handle::StartArrow:
                return Raw(shadow.startExtensionAxis);
            case Handle::EndArrow:
                return Raw(shadow.endExtensionAxis);
            case Handle::JogArrow:
                return Raw(shadow.jogAxis);
            case Handle::StartSphere:
            case Handle::EndSphere:
                break;
        }
        return nullptr;
    }

    // The display node of a handle.
    sxmu::ModelBase* Node(Handle handle) const {
        if (TranslatorAxis* axis = Axis(handle))
            return Raw(axis->arrow);
        return Sphere(handle);
    }

    // The dragger whose handle is node; null when node is no handle.
    const DraggerRow* Find(const sxmu::ModelBase* node) const {
        if (node == nullptr)
            return nullptr;
        for (const DraggerRow& row : kDraggerRows) {
            if (Node(row.handle) == node)
                return &row;
        }
        return nullptr;
    }

    // Where the handle stands: the position of its node's location, read from the node each
    // time, so that a node the viewer's framework moved steers the arrows, the drags and the
    // drop (the origin for a missing node).
    dg::DPoint3D PositionOf(Handle handle) const {
        const sxmu::ModelBase* node = Node(handle);
        return node != nullptr ? detail::PositionOf(node->location) : dg::DPoint3D::ORIGIN;
    }

    // Places a handle at p: a sphere at the point, an arrow with its base there.
    static void Place(CenterLineXYZShadow& owner, Handle handle, const dg::DPoint3D& p) {
        const HandleSet handles(owner);
        if (sxmu::ModelSphere* sphere = handles.Sphere(handle))
            sphere->location.SetPos(p);
        else if (TranslatorAxis* axis = handles.Axis(handle))
            axis->SetPlacement(dg::Location(dg::FMat33::IDENTITY, p));
    }

    // Aims the three arrows and places them, and decides whether the jog arrow applies, without
    // notifying the viewer (defined with the other handle operations).
    static void AimArrows(CenterLineXYZShadow& owner);

    // Whether a drag is open whose result has not been handed on and has moved something: its
    // row, and where it put the node it moves (the jog: where the pointer holds the mid jog
    // point).
    static bool OpenPreview(const CenterLineXYZShadow& owner, const DraggerRow*& row,
                            dg::DPoint3D& at);

    // Puts the three jog points of an along-axis path where the open jog drag holds the jog: its
    // press anchor plus the pointer's displacement since the press, slid along the main axis of
    // the path as stored now. Reflects an extension point that the jog passes and writes the
    // record's ratio for the jog, without notifying the viewer. The step and the rebuild both
    // place the jog here. False for a path without a jog.
    static bool MoveJog(CenterLineXYZShadow& owner);

    // Puts the node that an open drag of row moves back where the drag had put it (at), after a
    // rebuild replaced the drawn line: an end point with its path, an extension
    // point with its arrow, the jog's three points with the jog arrow.
    static void CarryPreview(CenterLineXYZShadow& owner, const DraggerRow& row,
                             const dg::DPoint3D& at);

    // Shows or hides a handle. One already in the wanted state is left alone: the viewer's
    // container treats the removal of a node it does not hold as an error, and a handle already
    // shown is not added a second time.
    static void Show(CenterLineXYZShadow& owner, Handle handle, bool show) {
        bool& shown = owner.handleShown[Index(handle)];
        sxmu::ModelBase* node = HandleSet(owner).Node(handle);
        if (node == nullptr || shown == show)
            return;
        const du::SmartPtr<sxmu::ModelBase> held(node);
        if (show)
            owner.rootContainer->AddHead(held);
        else
            owner.rootContainer->Remove(held);
        shown = show;
    }

    // New handle nodes are not shown yet.
    static void Forget(CenterLineXYZShadow& owner) {
        for (std::size_t i = 0; i < kCount; ++i)
            owner.handleShown[i] = false;
    }

private:
    static constexpr std::size_t kCount = 5;
    static std::size_t Index(Handle handle) { return static_cast<std::size_t>(handle); }

    const CenterLineXYZShadow& shadow;
};

}  // namespace detail
}  // namespace sxmk
