#pragma once

// The shadow's handle table: which display node belongs to which dragger, and which point of the
// drawn list each dragger moves. The drag start, the hiding and showing around a drag, the
// highlight, the node moves and the constrained drags all read it here.
#include <sxmk/CenterLineXYZShadow.h>

#include <deque>

namespace sxmk {
namespace detail {

enum class Handle { StartSphere, EndSphere, StartArrow, EndArrow, JogArrow };

inline bool IsExtensionArrow(Handle handle) {
    return handle == Handle::StartArrow || handle == Handle::EndArrow;
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

// The index in a drawn list of n points of the node that a dragger moves: the extended start,
// the start slot, the jog's mid point (mid), the end slot or the extended end; -1 for NoDragger.
inline int MovedIndex(CenterLineXYZShadow::PickedDragger dragger, int n, int mid) {
    switch (dragger) {
        case CenterLineXYZShadow::StartExtensionDragger:
            return 0;
        case CenterLineXYZShadow::StartPointDragger:
            return 1;
        case CenterLineXYZShadow::JogDragger:
            return mid;
        case CenterLineXYZShadow::EndPointDragger:
            return n - 2;
        case CenterLineXYZShadow::EndExtensionDragger:
            return n - 1;
        case CenterLineXYZShadow::NoDragger:
            break;
    }
    return -1;
}

// The shadow's handles by name. A built shadow has all five; a lookup gives null for a handle
// that is missing all the same (a sphere asked for as an arrow, or the other way round).
class HandleSet {
public:
    HandleSet(const std::deque<du::SmartPtr<sxmu::ModelSphere>>& endSpheres,
              const du::SmartPtr<TranslatorAxis>& startExtensionArrow,
              const du::SmartPtr<TranslatorAxis>& endExtensionArrow,
              const du::SmartPtr<TranslatorAxis>& jogArrow)
        : spheres(endSpheres),
          startArrow(startExtensionArrow.get()),
          endArrow(endExtensionArrow.get()),
          jog(jogArrow.get()) {}

    // The sphere of an end handle; null for an arrow.
    sxmu::ModelSphere* Sphere(Handle handle) const {
        const std::size_t i = handle == Handle::StartSphere ? 0 : 1;
        if ((handle != Handle::StartSphere && handle != Handle::EndSphere) || spheres.size() <= i)
            return nullptr;
        return spheres[i].get();
    }

    // The axis of an arrow handle; null for a sphere.
    TranslatorAxis* Axis(Handle handle) const {
        switch (handle) {
            case Handle::StartArrow:
                return startArrow;
            case Handle::EndArrow:
                return endArrow;
            case Handle::JogArrow:
                return jog;
            case Handle::StartSphere:
            case Handle::EndSphere:
                break;
        }
        return nullptr;
    }

    // The display node of a handle.
    sxmu::ModelBase* Node(Handle handle) const {
        if (TranslatorAxis* axis = Axis(handle))
            return axis->arrow.get();
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

    // Places a handle at p: a sphere at the point, an arrow with its base there.
    void Place(Handle handle, const dg::DPoint3D& p) const {
        if (sxmu::ModelSphere* sphere = Sphere(handle))
            sphere->location.SetPos(p);
        else if (TranslatorAxis* axis = Axis(handle))
            axis->SetPlacement(dg::Location(dg::FMat33::IDENTITY, p));
    }

private:
    const std::deque<du::SmartPtr<sxmu::ModelSphere>>& spheres;
    TranslatorAxis* startArrow;
    TranslatorAxis* endArrow;
    TranslatorAxis* jog;
};

}  // namespace detail
}  // namespace sxmk
