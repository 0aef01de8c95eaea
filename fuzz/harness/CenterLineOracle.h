#pragma once

// Value checks of the interaction harness: a model of the centre-line record's persistent fields
// that changes only through what reached the controller and what the harness set itself, and the
// comparisons of what a shadow draws with what the record holds.
//
// The harness tells the oracle what happened (a shadow rebuilt or translated, a press, a release,
// a stop handed to the controller, its own edits) and asks it, once no drag is open and no pick
// is pending in any view, to check:
//  - the record's start, end, extensions, ratio, path mode, end attachment and part ID equal the
//    model: a stop with an operation (after the controller applied it) and the harness's own
//    edits move the model; a stop with a null operation is a spring-back and carries nothing;
//  - every finished drag handed the controller exactly one stop;
//  - a free end point whose pick found nothing lands where it was released;
//  - for a shadow built from the record as it is now (not translated since, and not left behind
//    by a stop that the controller did not apply as drawn), the drawn line equals the stored list
//    and every shown handle stands where the record puts it;
//  - while the controller applies every stop as drawn, the stored list is the path of the
//    record's own fields (BuildPoints with the frame and axis order the harness built with, and
//    the negative-extension rule of SetPoints).
// Values that are not finite are not compared; the tolerance is 1e-6 times the larger of 1 and
// the coordinates' magnitude (a dragged jog measures its ratio in single precision).

#include "ByteReader.h"
#include "CenterLineXYZShadowTestAccess.h"
#include "Check.h"

#include <dg/Location.h>
#include <du/SmartPtr.h>
#include <du/Symbol.h>
#include <sxmk/CenterLineXYZ.h>
#include <sxmk/CenterLineXYZShadow.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace fuzzharness {

namespace interaction {

// The record's persistent fields, as its accessors give them.
struct RecordFields {
    dg::DPoint3D start;
    dg::DPoint3D end;
    float startExt = 0.0f;
    float endExt = 0.0f;
    float ratio = 0.0f;
    bool alongAxis = false;
    bool attached = false;
    du::Symbol part;

    static RecordFields Of(sxmk::CenterLineXYZ& record) {
        RecordFields f;
        f.start = record.GetStartPoint();
        f.end = record.GetEndPoint();
        f.startExt = record.GetStartExtention();
        f.endExt = record.GetEndExtention();
        f.ratio = record.GetDivRation();
        f.alongAxis = record.IsAlongAxis();
        f.attached = record.IsEndPointAttached();
        f.part = record.GetPartID();
        return f;
    }
    // Bitwise, so that a stored NaN counts as kept.
    bool operator==(const RecordFields& o) const {
        return Same(start, o.start) && Same(end, o.end) && Same(startExt, o.startExt) &&
               Same(endExt, o.endExt) && Same(ratio, o.ratio) && alongAxis == o.alongAxis &&
               attached == o.attached && part == o.part;
    }
};

// The fields and the stored list: what a shadow is built from.
struct RecordState {
    RecordFields fields;
    std::vector<dg::DPoint3D> stored;

    static RecordState Of(sxmk::CenterLineXYZ& record) {
        return RecordState{RecordFields::Of(record), *record.GetPoints()};
    }
    bool operator==(const RecordState& o) const {
        if (!(fields == o.fields) || stored.size() != o.stored.size())
            return false;
        for (std::size_t i = 0; i < stored.size(); ++i)
            if (!Same(stored[i], o.stored[i]))
                return false;
        return true;
    }
};

inline double Magnitude(const dg::DPoint3D& p) {
    return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
}

// a and b agree within 1e-6 times max(1, scale, their magnitude); points that are not finite
// are not compared.
inline bool Near(const dg::DPoint3D& a, const dg::DPoint3D& b, double scale = 0.0) {
    if (!IsFinite(a) || !IsFinite(b))
        return true;
    const double tolerance = 1e-6 * std::max({1.0, scale, Magnitude(a), Magnitude(b)});
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

class ValueOracle {
public:
    using Shadow = sxmk::CenterLineXYZShadow;
    using Access = sxmk::CenterLineXYZShadowTestAccess;

    explicit ValueOracle(Checker& checker) : check(checker) {}

    // What the harness knows of the slot's shadow, by slot.
    struct Watch {
        bool built = false;         // built from builtFrom and not translated since
        RecordState builtFrom;      // the record when the shadow was last built
        bool freshAtPress = false;  // built from the record as it was when its drag began
        bool tracked = false;       // a drag of a handle is open; stops counts its stops
        int stops = 0;
        bool handedOn = false;  // the open drag has handed its result to the controller
        bool landing = false;   // a free end's drop waits: where it was released
        dg::DPoint3D releasedAt;
        dg::DPoint3D translatedAt;  // ... or moved by a Translate since
        double farthestMove = 0.0;  // the largest coordinate of a Translate since the release
        float ratioAtPress = 0.0f;
        float pathRatioAtPress = 0.0f;        // the ratio the record's path was built with then
        bool editedFromAnotherRatio = false;  // ... or with which the harness stored one since
    };
    Watch watch[2];

    // The controller applies every stop as drawn (path check on), or not at all (field checks
    // off, the model follows the record).
    void SetController(bool applies, bool present) {
        faithful = applies;
        pathValid = applies;
        controlled = present;
    }
    const dg::Location& Frame() const { return pathFrame; }
    void Order(unsigned short (&out)[3]) const { std::copy(pathOrder, pathOrder + 3, out); }
    // The harness attached the end or named the part itself.
    void SetAttachment(sxmk::CenterLineXYZ& record) {
        model.attached = record.IsEndPointAttached();
        model.part = record.GetPartID();
    }
    void SetScratch(const du::SmartPtr<sxmk::CenterLineXYZ>& record) { scratch = record; }
    // The frame, axis order and ratio that the harness last built a path with. The record keeps
    // no ratio from a build; the drags' own rebuilds and the jog use the record's.
    void SetPath(const dg::Location& frame, const unsigned short (&order)[3], float ratio) {
        pathFrame = frame;
        std::copy(order, order + 3, pathOrder);
        pathRatio = ratio;
        pathFrameRigid = IsRigid(frame.GetRotation());
    }

    // The harness stored a new path in the record itself (its Rebuild or a layout change); open
    // drags keep their saved extensions, so the model follows once they are over.
    void HarnessEdited(sxmk::CenterLineXYZ& record, bool dragsOpen) {
        // A drag the oracle lost track of (a second pointer, say) still hands on what it did.
        pathValid = faithful && !lostTrack;
        for (Watch& w : watch)
            w.editedFromAnotherRatio =
                w.editedFromAnotherRatio || (w.tracked && !Same(pathRatio, record.GetDivRation()));
        Resync(record, dragsOpen);
    }
    void Resync(sxmk::CenterLineXYZ& record, bool later) {
        if (later)
            resyncWhenQuiet = true;
        else
            model = RecordFields::Of(record);
    }
    // Something the oracle cannot follow changed the record: the model and the path check wait
    // for the next quiet moment and the harness's next own path.
    void LoseTrack() {
        lostTrack = true;
        resyncWhenQuiet = true;
        pathValid = false;
    }

    void Rebuilt(int slot, sxmk::CenterLineXYZ& record) {
        Watch& w = watch[slot];
        // A rebuild carries the preview of a drag that has not handed its result on.
        w.built = !w.tracked || w.handedOn;
        w.builtFrom = RecordState::Of(record);
        w.freshAtPress = true;
    }
    void Forget(int slot) { watch[slot] = Watch(); }

    void Translated(int slot, Shadow& shadow, const dg::DVec3& delta) {
        Watch& w = watch[slot];
        w.built = false;
        w.freshAtPress = false;
        if (w.landing) {
            dg::DVec3 d;
            shadow.GetDeltaInObjectSpace(d, delta);
            w.farthestMove =
                std::max({w.farthestMove, std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)});
            w.translatedAt =
                dg::DPoint3D(w.releasedAt.x + d.x, w.releasedAt.y + d.y, w.releasedAt.z + d.z);
        }
    }

    // The framework's Stop ends a move of the whole markup: the next move's Translate counts
    // from where this one left a waiting drop.
    void MoveEnded(int slot) {
        Watch& w = watch[slot];
        w.releasedAt = w.translatedAt;
    }

    // A press: the previous drag of the slot ended inside it (its drop finished as a pick that
    // found nothing), then the new one began.
    void Pressed(int slot, Shadow& shadow, sxmk::CenterLineXYZ& record, bool freshBefore) {
        DragOver(slot, shadow);
        Watch& w = watch[slot];
        // A point drag that collapses its end's extension passes the other end's extension to
        // the same collapse, which zeroes it when it is below the threshold (2^-21) too; the
        // drop puts back the dragged end's only.
        const auto dragger = Access::pickedDragger(shadow);
        if (dragger == Shadow::StartPointDragger || dragger == Shadow::EndPointDragger) {
            const bool atStart = dragger == Shadow::StartPointDragger;
            float& other = atStart ? model.endExt : model.startExt;
            const float now = atStart ? record.GetEndExtention() : record.GetStartExtention();
            if (std::fabs(other) < 4.76837158203125e-07f && Same(now, 0.0f))
                other = 0.0f;
        }
        w.freshAtPress = freshBefore;
        w.tracked = Access::pickedDragger(shadow) != Shadow::NoDragger;
        w.stops = 0;
        w.handedOn = false;
        w.editedFromAnotherRatio = false;
        w.ratioAtPress = record.GetDivRation();
        w.pathRatioAtPress = pathRatio;
        // What a drag draws is the record again only once a stop applied it, or a rebuild.
        if (w.tracked)
            w.built = false;
        w.landing = false;
    }

    // A release that left a free end's drop waiting for its pick.
    void Released(int slot, Shadow& shadow) {
        Watch& w = watch[slot];
        w.landing = false;
        const int node = shadow.GetPickedNode();
        const auto& drawn = Access::lineStrip(shadow)->points;
        if (Access::pickedDragger(shadow) != Shadow::EndPointDragger ||
            Access::pendingPick(shadow) == nullptr || node < 0 ||
            static_cast<std::size_t>(node) >= drawn.size())
            return;
        w.landing = true;
        w.releasedAt = w.translatedAt = drawn[static_cast<std::size_t>(node)];
        w.farthestMove = 0.0;
    }

    // A stop handed to the controller by the slot's shadow (slot -1: a shadow of no slot), after
    // the controller applied it (applied: the shadow's points, as drawn). own: it finishes the
    // slot's own drag (not the harness's framework Stop, not a stop broadcast by another drag).
    void Stopped(int slot, Shadow& shadow, sxmk::CenterLineXYZ& record, bool hasOperation,
                 bool applied, bool own, bool poolFailed, bool nothingFound) {
        if (slot < 0 || !own) {
            if (slot >= 0)
                watch[slot].built = watch[slot].landing = false;
            LoseTrack();
            return;
        }
        Watch& w = watch[slot];
        if (w.tracked)
            ++w.stops;
        w.handedOn = true;
        // A pool failure may have nulled the operation of a real drop.
        if (w.landing && nothingFound && !poolFailed && !resyncWhenQuiet)
            CheckLanding(w, shadow, record, hasOperation);
        w.landing = false;
        // Applied as drawn, a shadow built from the record as it was at the press draws the
        // record again; the other view's shadow was built from what the record was before. (A
        // spring-back hands the path rebuilt from the record's fields, which differs from what it
        // draws when the harness stored a path of another ratio than the record's.)
        w.built = applied && w.freshAtPress && DrawsHanded(shadow, record);
        if (w.built)
            w.builtFrom = RecordState::Of(record);
        watch[1 - slot].freshAtPress = false;
        if (poolFailed)
            LoseTrack();
        // A jog whose ends give no ratio (they lie on one line across the main axis) moves its
        // points and leaves the ratio: that list is no path of the record's fields.
        // A jog that moved a path built with another ratio than the record's, stored before the
        // press or while the drag was open (the harness stores paths without their ratio),
        // measures where it passes the ends from the wrong ratio: no path either. A path stored
        // while the drag was open with the record's ratio (another layout, another main axis)
        // is checked: the jog goes on along the new path's main axis.
        const bool jog = Access::pickedDragger(shadow) == Shadow::JogDragger;
        const bool jogWithoutRatio = jog && Same(record.GetDivRation(), w.ratioAtPress);
        const bool jogFromAnotherRatio =
            jog && (!Same(w.pathRatioAtPress, w.ratioAtPress) || w.editedFromAnotherRatio);
        if (!applied || !w.freshAtPress || jogWithoutRatio || jogFromAnotherRatio)
            pathValid = false;
        if (hasOperation)
            model = RecordFields::Of(record);
        pathRatio = record.GetDivRation();
    }

    bool Fresh(int slot, sxmk::CenterLineXYZ& record) const {
        return watch[slot].built && watch[slot].builtFrom == RecordState::Of(record);
    }

    // After an action with no drag open and no pick pending: the checks of the header comment.
    // shadows[i] is the slot's shadow or null.
    void CheckQuiet(sxmk::CenterLineXYZ& record, Shadow* const (&shadows)[2]) {
        for (int i = 0; i < 2; ++i) {
            if (shadows[i] == nullptr)
                continue;
            DragOver(i, *shadows[i]);
            if (Fresh(i, record))
                CheckDrawn(*shadows[i], record);
        }
        if (controlled && !resyncWhenQuiet)
            check.Expect(RecordFields::Of(record) == model,
                         "the record changes only through what its controller was handed");
        if (resyncWhenQuiet || !controlled)
            model = RecordFields::Of(record);
        resyncWhenQuiet = false;
        lostTrack = false;
        if (pathValid)
            CheckPath(record);
    }

private:
    void DragOver(int slot, Shadow& shadow) {
        Watch& w = watch[slot];
        if (!w.tracked || Access::pendingPick(shadow) != nullptr)
            return;
        if (controlled)
            check.Expect(w.stops == 1, "a finished drag hands its controller exactly one stop");
        w.tracked = false;
        w.landing = false;
    }

    void CheckLanding(const Watch& w, Shadow& shadow, sxmk::CenterLineXYZ& record,
                      bool hasOperation) {
        // Each Translate adds what the move gained since the last one: after a move of far more
        // than the line's own size the drop's place is known only to that move's precision.
        if (record.IsEndPointAttached() ||
            w.farthestMove > 1e9 * std::max(1.0, Magnitude(w.releasedAt)))
            return;
        if (!hasOperation) {
            // A spring-back is right only for a release where the end is stored.
            check.Expect(Near(w.releasedAt, record.GetEndPoint()) ||
                             Near(w.translatedAt, record.GetEndPoint()),
                         "a free end whose pick found nothing lands where it was released");
            return;
        }
        const std::vector<dg::DPoint3D> handed = shadow.GetPoints();
        if (handed.size() < 4)
            return;
        const dg::DPoint3D& at = handed[handed.size() - 2];
        check.Expect(Near(w.releasedAt, at) || Near(w.translatedAt, at),
                     "a free end whose pick found nothing lands where it was released");
    }

    // Whether the shadow draws the list it handed to its controller.
    static bool DrawsHanded(Shadow& shadow, sxmk::CenterLineXYZ& record) {
        return SameLine(Access::lineStrip(shadow)->points, shadow.GetPoints(), record);
    }

    // The drawn list against a stored one: equal, but where an end's extension is negative the
    // slot may hold the true end (a drawn preview knows no negative-extension rule).
    static bool SameLine(const std::vector<dg::DPoint3D>& drawn,
                         const std::vector<dg::DPoint3D>& stored, sxmk::CenterLineXYZ& record) {
        if (drawn.size() != stored.size())
            return false;
        const std::size_t n = stored.size();
        bool same = true;
        for (std::size_t i = 0; i < n; ++i) {
            const bool startSlot = i == 1 && record.GetStartExtention() < 0.0f;
            const bool endSlot = i + 2 == n && record.GetEndExtention() < 0.0f;
            same = same && (Near(drawn[i], stored[i]) ||
                            (startSlot && Near(drawn[i], record.GetStartPoint())) ||
                            (endSlot && Near(drawn[i], record.GetEndPoint())));
        }
        return same;
    }

    void CheckDrawn(Shadow& shadow, sxmk::CenterLineXYZ& record) {
        const std::vector<dg::DPoint3D>& stored = *record.GetPoints();
        const std::vector<dg::DPoint3D>& drawn = Access::lineStrip(shadow)->points;
        if (drawn.size() != stored.size() || stored.size() < 4)
            return;
        const std::size_t n = stored.size();
        const dg::DPoint3D start = record.GetStartPoint();
        const dg::DPoint3D end = record.GetEndPoint();
        const bool same = SameLine(drawn, stored, record);
        check.Expect(same, "a shadow built from the record draws its stored list");

        const auto& root = *Access::rootContainer(shadow);
        const auto& spheres = Access::sphereDraggers(shadow);
        const auto& jog = Access::jogAxis(shadow)->arrow;
        const int mid = record.GetMidPointIndex();
        bool placed =
            Near(spheres[0]->location.GetPos(), start) &&
            Near(spheres[1]->location.GetPos(), end) &&
            Near(Access::startExtensionAxis(shadow)->arrow->location.GetPos(), stored.front()) &&
            Near(Access::endExtensionAxis(shadow)->arrow->location.GetPos(), stored.back());
        if (root.Contains(jog.get()) && mid >= 0 && static_cast<std::size_t>(mid) < n)
            placed = placed && Near(jog->location.GetPos(), stored[static_cast<std::size_t>(mid)]);
        check.Expect(placed, "every handle stands where the record puts it");
    }

    // Whether the rows of a frame's rotation are orthonormal (to single precision). In a skewed
    // or scaled frame the jog's ratio, measured across the main axis as the user sees it, and
    // the path builder's, measured in the frame's coordinates, disagree: no path to compare.
    static bool IsRigid(const dg::FMat33& r) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                double dot = 0.0;
                for (int k = 0; k < 3; ++k)
                    dot += static_cast<double>(r.m[i][k]) * static_cast<double>(r.m[j][k]);
                if (!(std::fabs(dot - (i == j ? 1.0 : 0.0)) < 1e-5))
                    return false;
            }
        return true;
    }

    void CheckPath(sxmk::CenterLineXYZ& record) {
        const std::vector<dg::DPoint3D>& stored = *record.GetPoints();
        if (!scratch || !pathFrameRigid)
            return;
        std::vector<dg::DPoint3D> path;
        scratch->BuildPoints(record.GetStartPoint(), record.GetEndPoint(), record.IsAlongAxis(),
                             record.GetStartExtention(), record.GetEndExtention(), pathRatio,
                             pathFrame, pathOrder, path);
        scratch->SetPoints(path);
        const std::vector<dg::DPoint3D>& expected = *scratch->GetPoints();
        if (expected.size() != stored.size())
            return;
        double scale = 0.0;
        for (const dg::DPoint3D& p : expected)
            scale = IsFinite(p) ? std::max(scale, Magnitude(p)) : scale;
        bool same = true;
        for (std::size_t i = 0; i < stored.size(); ++i)
            same = same && Near(stored[i], expected[i], scale);
        check.Expect(same, "the stored list is the path of the record's own fields");
    }

    Checker& check;
    RecordFields model;
    // A record of the harness's own that builds the expected path (made before any pool failure
    // can be armed, so that checking allocates nothing).
    du::SmartPtr<sxmk::CenterLineXYZ> scratch;
    bool resyncWhenQuiet = false;
    bool lostTrack = false;  // since the last quiet moment
    bool controlled = false;
    bool faithful = false;
    bool pathValid = false;
    dg::Location pathFrame;
    unsigned short pathOrder[3] = {0, 1, 2};
    float pathRatio = 0.5f;
    bool pathFrameRigid = true;
};

}  // namespace interaction

}  // namespace fuzzharness
