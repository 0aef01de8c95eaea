#pragma once

// Record and path harness: decodes bytes into a sequence of builds, stores and edits of one
// centre-line record and checks after every action:
//  - a built list has 4 points (straight) or 7 (along axis); a build records mode and
//    extensions but leaves the stored list, the ends, the ratio and the derived data alone,
//    and ignores the frame's position;
//  - the stored list changes size only through SetPoints; the point moves leave it alone, an
//    extension edit or reset touches only the two points at its end;
//  - finiteness: a build whose arguments are all finite and below 1e6 in magnitude (points,
//    extensions, ratio and every entry of the frame rotation; the frame position is ignored by
//    the library and so is not looked at) gives only finite points. An edit gives only finite
//    points when its own argument and the record state it builds from are all finite and below
//    1e6: the stored list, the start and end points, both extensions, the ratio and the
//    rotation of the frame last built with. Larger values may legitimately overflow (a path of
//    a nearly singular frame is scaled by its inverse), so they are not covered;
//  - with the identity rotation, a valid axis order and covered inputs, every leg of an
//    along-axis path runs along its axis and each extended end lies on the continuation of its
//    leg (inside the line for a negative extension); a straight path's extended ends lie beyond
//    their ends along the line.

#include "ByteReader.h"
#include "Check.h"

#include <dg/Location.h>
#include <du/SmartPtr.h>
#include <sxmk/CenterLineXYZ.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzzharness {

namespace recordpath {

constexpr int kMaxSteps = 64;
constexpr float kNearZero = 4.76837158203125e-07f;

using Points = std::vector<dg::DPoint3D>;

inline bool AllFinite(const Points& list) {
    for (const dg::DPoint3D& p : list)
        if (!IsFinite(p))
            return false;
    return true;
}
inline bool AllModerate(const Points& list) {
    for (const dg::DPoint3D& p : list)
        if (!IsModerate(p))
            return false;
    return true;
}
inline bool SameList(const Points& a, const Points& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!Same(a[i], b[i]))
            return false;
    return true;
}
// Equal outside the index range [first, last].
inline bool SameOutside(const Points& a, const Points& b, std::size_t first, std::size_t last) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((i < first || i > last) && !Same(a[i], b[i]))
            return false;
    return true;
}
inline bool ValidOrder(const unsigned short (&o)[3]) {
    return o[0] <= 2 && o[1] <= 2 && o[2] <= 2 && o[0] != o[1] && o[0] != o[2] && o[1] != o[2];
}

// Everything about a record that an action may or may not change.
struct Snapshot {
    explicit Snapshot(sxmk::CenterLineXYZ& r)
        : stored(*r.GetPoints()),
          start(r.GetStartPoint()),
          end(r.GetEndPoint()),
          startExt(r.GetStartExtention()),
          endExt(r.GetEndExtention()),
          ratio(r.GetDivRation()),
          alongAxis(r.IsAlongAxis()),
          startLimit(r.GetStartAxisLimit()),
          endLimit(r.GetEndAxisLimit()),
          mainAxis(r.GetMainAxisDirection()),
          mid(r.GetMidPointIndex()) {}

    Points stored;
    dg::DPoint3D start, end;
    float startExt, endExt, ratio;
    bool alongAxis;
    dg::DPoint3D startLimit, endLimit;
    dg::DVec3 mainAxis;
    int mid;
};

class Run {
public:
    Run(ByteReader& bytes, Checker& checker) : in(bytes), check(checker) {}

    int Go() {
        record = new sxmk::CenterLineXYZ;
        if (!record)
            return 0;
        int step = 0;
        for (; step < kMaxSteps && !in.Empty() && !check.Failed(); ++step) {
            check.SetStep(step);
            switch (in.U8() % 8) {
                case 0:
                case 1:
                    Build();
                    break;
                case 2:
                    Store();
                    break;
                case 3:
                    AlongAxisOrRatio();
                    break;
                case 4:
                    MovePoint();
                    break;
                case 5:
                    MoveExtension();
                    break;
                case 6:
                    Reset();
                    break;
                default:
                    BuildAndStore();
                    break;
            }
        }
        record = nullptr;
        return step;
    }

private:
    // The record state that an edit rebuilds from is inside the finiteness invariant.
    bool RecordCovered() const {
        return frameCovered && AllModerate(*record->GetPoints()) &&
               IsModerate(record->GetStartPoint()) && IsModerate(record->GetEndPoint()) &&
               IsModerate(static_cast<double>(record->GetStartExtention())) &&
               IsModerate(static_cast<double>(record->GetEndExtention())) &&
               IsModerate(static_cast<double>(record->GetDivRation()));
    }
    std::size_t Layout() const { return record->IsAlongAxis() ? 7u : 4u; }
    bool HoldsLayout() const { return record->GetPoints()->size() >= Layout(); }

    // out sometimes holds points from before: a build must replace them all.
    void MaybePrefill() {
        if (in.Bool())
            out.assign(static_cast<std::size_t>(in.Below(9)), dg::DPoint3D(3.0, -2.0, 1.0));
    }

    void Build() {
        const dg::DPoint3D start = in.Point();
        const dg::DPoint3D end = in.Point();
        const bool mode = in.Bool();
        const float startExt = in.AnyFloat();
        const float endExt = in.AnyFloat();
        const float ratio = in.AnyFloat();
        const dg::FMat33 rotation = in.Rotation();
        const dg::DPoint3D position = in.Point();
        unsigned short order[3];
        in.AxisOrder(order);
        MaybePrefill();

        const Snapshot before(*record);
        record->BuildPoints(start, end, mode, startExt, endExt, ratio,
                            dg::Location(rotation, position), order, out);
        if (tracing)
            TraceBuild(start, end, mode, startExt, endExt, ratio, rotation, order);
        const std::size_t n = mode ? 7u : 4u;
        check.Expect(out.size() == n, "a build gives 4 points straight and 7 along axis");
        if (out.size() != n)
            return;
        check.Expect(record->IsAlongAxis() == mode, "a build records its path mode");
        check.Expect(
            Same(record->GetStartExtention(), startExt) && Same(record->GetEndExtention(), endExt),
            "a build records both extensions");
        check.Expect(SameList(*record->GetPoints(), before.stored),
                     "a build leaves the stored list alone");
        check.Expect(Same(record->GetStartPoint(), before.start) &&
                         Same(record->GetEndPoint(), before.end) &&
                         Same(record->GetDivRation(), before.ratio),
                     "a build leaves the stored ends and ratio alone");
        check.Expect(Same(record->GetStartAxisLimit(), before.startLimit) &&
                         Same(record->GetEndAxisLimit(), before.endLimit) &&
                         Same(record->GetMainAxisDirection(), before.mainAxis) &&
                         record->GetMidPointIndex() == before.mid,
                     "a build leaves the derived along-axis data alone");
        check.Expect(Same(out[1], start) && Same(out[n - 2], end),
                     "a built path starts at the start and ends at the end");

        const bool covered = IsModerate(start) && IsModerate(end) &&
                             IsModerate(static_cast<double>(startExt)) &&
                             IsModerate(static_cast<double>(endExt)) &&
                             IsModerate(static_cast<double>(ratio)) && IsModerate(rotation);
        if (covered)
            check.Expect(AllFinite(out), "a build of finite moderate values gives finite points");

        // The frame's position is ignored: another position gives the very same list.
        Points again;
        record->BuildPoints(start, end, mode, startExt, endExt, ratio,
                            dg::Location(rotation, in.Point()), order, again);
        check.Expect(SameList(again, out), "a build ignores the frame position");

        if (covered && rotation == dg::FMat33::IDENTITY && ValidOrder(order)) {
            if (mode)
                CheckAxisLegs(order, startExt, endExt, ratio);
            else
                CheckStraightExtensions(startExt, endExt);
        }
        frameCovered = IsModerate(rotation);
    }

    // ILLSXMK_FUZZ_TRACE=1 prints every build and its result, for reading a found input.
    void TraceBuild(const dg::DPoint3D& start, const dg::DPoint3D& end, bool mode, float startExt,
                    float endExt, float ratio, const dg::FMat33& rotation,
                    const unsigned short (&order)[3]) const {
        std::fprintf(stderr,
                     "build %s (%.17g %.17g %.17g) -> (%.17g %.17g %.17g) ext %.9g %.9g ratio "
                     "%.9g order %u %u %u rotation",
                     mode ? "along axis" : "straight", start.x, start.y, start.z, end.x, end.y,
                     end.z, static_cast<double>(startExt), static_cast<double>(endExt),
                     static_cast<double>(ratio), order[0], order[1], order[2]);
        for (const auto& row : rotation.m)
            for (float v : row)
                std::fprintf(stderr, " %.9g", static_cast<double>(v));
        std::fprintf(stderr, "\n");
        for (const dg::DPoint3D& p : out)
            std::fprintf(stderr, "  (%.17g %.17g %.17g)\n", p.x, p.y, p.z);
    }

    // Along the identity frame each leg changes one coordinate only, and the extended ends
    // continue the first and last main-axis legs (a negative extension points back inside).
    void CheckAxisLegs(const unsigned short (&order)[3], float startExt, float endExt,
                       float ratio) {
        const int k = order[0];
        const dg::DPoint3D &q1 = out[0], &s = out[1], &j1 = out[2], &j2 = out[3], &j3 = out[4],
                           &e = out[5], &q2 = out[6];
        for (int c = 0; c < 3; ++c) {
            if (c != k)
                check.Expect(j1[c] == s[c] && q1[c] == s[c] && q2[c] == e[c],
                             "the first leg and the extensions run along the main axis");
            if (c != order[1])
                check.Expect(j2[c] == j1[c], "the second leg runs along the second axis");
            if (c != order[2])
                check.Expect(j3[c] == j2[c], "the third leg runs along the third axis");
        }
        // The main-axis runs of the first and last legs, from the ratio rather than from the
        // rounded jog points: a leg of no length (ratio 0 or 1) has no direction to continue.
        const double run = e[k] - s[k];
        const double firstLeg = static_cast<double>(ratio) * run;
        const double lastLeg = (1.0 - static_cast<double>(ratio)) * run;
        check.Expect(static_cast<double>(startExt) * (q1[k] - s[k]) * firstLeg <= 0.0,
                     "the extended start continues the first leg beyond the start");
        check.Expect(static_cast<double>(endExt) * (q2[k] - e[k]) * lastLeg >= 0.0,
                     "the extended end continues the last leg beyond the end");
    }

    void CheckStraightExtensions(float startExt, float endExt) {
        const dg::DVec3 along = out[2] - out[1];
        check.Expect(static_cast<double>(startExt) * dg::Dot(out[0] - out[1], along) <= 0.0,
                     "a positive start extension lies before the start, a negative one inside");
        check.Expect(static_cast<double>(endExt) * dg::Dot(out[3] - out[2], along) >= 0.0,
                     "a positive end extension lies beyond the end, a negative one inside");
    }

    Points DecodedList() {
        Points list(static_cast<std::size_t>(in.Below(10)));
        for (dg::DPoint3D& p : list)
            p = in.Point();
        return list;
    }

    void Store() {
        Points list;
        switch (in.Below(3)) {
            case 0:
                list = DecodedList();
                break;
            case 1:
                list = out;
                break;
            default:
                list = *record->GetPoints();
                break;
        }
        StoreList(list);
    }

    void StoreList(const Points& list) {
        const Snapshot before(*record);
        record->SetPoints(list);
        const Points& stored = *record->GetPoints();
        const std::size_t n = list.size();
        if (n < 2) {
            check.Expect(SameList(stored, before.stored) &&
                             Same(record->GetStartPoint(), before.start) &&
                             Same(record->GetEndPoint(), before.end),
                         "a list without both ends is not stored");
            return;
        }
        check.Expect(stored.size() == n, "SetPoints stores every point");
        if (stored.size() != n)
            return;
        check.Expect(
            Same(record->GetStartPoint(), list[1]) && Same(record->GetEndPoint(), list[n - 2]),
            "SetPoints takes the true ends from the list's slots");
        if (n >= 4) {
            const bool startInside = record->GetStartExtention() < 0.0f;
            const bool endInside = record->GetEndExtention() < 0.0f;
            check.Expect(Same(stored[1], startInside ? list[0] : list[1]) &&
                             Same(stored[n - 2], endInside ? list[n - 1] : list[n - 2]),
                         "a negative extension puts its extension point into its end's slot");
            bool middleKept = Same(stored[0], list[0]) && Same(stored[n - 1], list[n - 1]);
            for (std::size_t i = 2; i + 2 < n; ++i)
                middleKept = middleKept && Same(stored[i], list[i]);
            check.Expect(middleKept, "SetPoints keeps every point but the two slots");
        }
        if (record->IsAlongAxis() && n == 7)
            check.Expect(record->GetMidPointIndex() == 3 &&
                             Same(record->GetStartAxisLimit(), list[1]) &&
                             Same(record->GetEndAxisLimit(), list[5]),
                         "storing an along-axis list derives its along-axis data");
    }

    void AlongAxisOrRatio() {
        const float ratio = in.AnyFloat();
        const Snapshot before(*record);
        if (in.Bool()) {
            record->SetDivRation(ratio);
            check.Expect(Same(record->GetDivRation(), ratio), "SetDivRation stores the ratio");
            check.Expect(SameList(*record->GetPoints(), before.stored),
                         "SetDivRation rebuilds nothing");
            return;
        }
        record->SetAlongAxis(ratio);
        const Points& stored = *record->GetPoints();
        if (stored.size() != 7) {
            check.Expect(record->IsAlongAxis() == before.alongAxis &&
                             Same(record->GetDivRation(), before.ratio),
                         "SetAlongAxis changes nothing unless 7 points are stored");
            return;
        }
        check.Expect(record->IsAlongAxis() && Same(record->GetDivRation(), ratio) &&
                         record->GetMidPointIndex() == 3,
                     "SetAlongAxis on 7 points switches to along axis with the ratio");
        // The direction follows the first main-axis leg; a first leg shorter than the
        // zero threshold hands over to the last one, which points the same way on a path
        // whose ratio lies in [0, 1].
        const dg::DVec3 firstLeg = stored[1] - stored[2];
        const dg::DVec3 leg = firstLeg.Norm() >= kNearZero ? firstLeg : stored[4] - stored[5];
        const dg::DVec3 direction = record->GetMainAxisDirection();
        if (IsModerate(leg) && leg.Norm() > 1e-100)
            check.Expect(std::fabs(direction.Norm() - 1.0) < 1e-9 && dg::Dot(direction, leg) > 0.0,
                         "the main-axis direction is the unit vector along the first main-axis "
                         "leg with a length, the last one if the first has none");
    }

    void MovePoint() {
        const bool atStart = in.Bool();
        const dg::DVec3 delta = in.Vec();
        MaybePrefill();
        const Snapshot before(*record);
        const bool covered = IsModerate(delta) && RecordCovered();
        const bool laidOut = HoldsLayout();
        const std::size_t outBefore = out.size();
        dg::DPoint3D moved(7.0, 7.0, 7.0);
        if (atStart)
            record->MoveStartPoint(delta, out, moved);
        else
            record->MoveEndPoint(delta, out, moved);

        check.Expect(SameList(*record->GetPoints(), before.stored) &&
                         Same(record->GetStartPoint(), before.start) &&
                         Same(record->GetEndPoint(), before.end),
                     "a point move leaves the stored list and the ends alone");
        CheckOut(laidOut, outBefore);
        if (!laidOut || out.size() != Layout())
            return;
        const std::size_t n = out.size();
        if (atStart)
            check.Expect(Same(out[1], moved) && Same(out[n - 2], before.end),
                         "a start move rebuilds from the new start to the stored end");
        else
            check.Expect(Same(out[1], before.start) && Same(out[n - 2], moved),
                         "an end move rebuilds from the stored start to the new end");
        if (covered)
            check.Expect(AllFinite(out) && IsFinite(moved),
                         "a point move of finite moderate values gives finite points");
    }

    void MoveExtension() {
        const bool atStart = in.Bool();
        const float ext = in.AnyFloat();
        MaybePrefill();
        const Snapshot before(*record);
        const bool covered = IsModerate(static_cast<double>(ext)) && RecordCovered();
        const bool laidOut = HoldsLayout();
        const std::size_t outBefore = out.size();
        if (atStart)
            record->MoveStartExt(ext, out);
        else
            record->MoveEndExt(ext, out);

        const Points& stored = *record->GetPoints();
        CheckOut(laidOut, outBefore);
        check.Expect(stored.size() == before.stored.size(),
                     "an extension edit keeps the list size");
        if (!laidOut || stored.size() != before.stored.size() || out.empty())
            return;
        const std::size_t n = stored.size();
        if (atStart) {
            check.Expect(Same(record->GetStartExtention(), ext),
                         "MoveStartExt stores the extension");
            check.Expect(SameOutside(stored, before.stored, 0, 1),
                         "MoveStartExt changes only the two points at the start");
            check.Expect(Same(stored[0], out.front()) &&
                             Same(stored[1], ext < 0.0f ? out.front() : record->GetStartPoint()),
                         "MoveStartExt stores the new extended start, in the slot too if inside");
        } else {
            check.Expect(Same(record->GetEndExtention(), ext), "MoveEndExt stores the extension");
            check.Expect(SameOutside(stored, before.stored, n - 2, n - 1),
                         "MoveEndExt changes only the two points at the end");
            check.Expect(Same(stored[n - 1], out.back()) &&
                             Same(stored[n - 2], ext < 0.0f ? out.back() : record->GetEndPoint()),
                         "MoveEndExt stores the new extended end, in the slot too if inside");
        }
        if (covered)
            check.Expect(AllFinite(out) && AllFinite(stored),
                         "an extension edit of finite moderate values gives finite points");
    }

    void Reset() {
        const float startValue = in.Bool() ? 0.0f : in.AnyFloat();
        const float endValue = in.Bool() ? 0.0f : in.AnyFloat();
        const Snapshot before(*record);
        const bool laidOut = HoldsLayout();
        record->ResetExtentions(startValue, endValue);
        const Points& stored = *record->GetPoints();
        check.Expect(stored.size() == before.stored.size(), "a reset keeps the list size");
        if (!laidOut || stored.size() != before.stored.size())
            return;
        const std::size_t n = stored.size();
        const bool startReset = std::fabs(startValue) < kNearZero;
        const bool endReset = std::fabs(endValue) < kNearZero;
        if (startReset)
            check.Expect(record->GetStartExtention() == 0.0f &&
                             Same(stored[0], record->GetStartPoint()) &&
                             Same(stored[1], record->GetStartPoint()),
                         "a start reset collapses the start onto the start point");
        else
            check.Expect(Same(record->GetStartExtention(), before.startExt),
                         "a start value not near zero leaves the start extension");
        if (endReset)
            check.Expect(record->GetEndExtention() == 0.0f &&
                             Same(stored[n - 1], record->GetEndPoint()) &&
                             Same(stored[n - 2], record->GetEndPoint()),
                         "an end reset collapses the end onto the end point");
        else
            check.Expect(Same(record->GetEndExtention(), before.endExt),
                         "an end value not near zero leaves the end extension");
        bool othersKept = true;
        for (std::size_t i = 0; i < n; ++i) {
            const bool resetHere = (startReset && i <= 1) || (endReset && i + 2 >= n);
            othersKept = othersKept && (resetHere || Same(stored[i], before.stored[i]));
        }
        check.Expect(othersKept, "a reset touches only the points at the ends it resets");
    }

    // The usual host sequence: build into a list, then store that list.
    void BuildAndStore() {
        Build();
        if (!check.Failed())
            StoreList(out);
    }

    // An edit either rebuilt out in the record's layout or (list too short) left it alone.
    void CheckOut(bool laidOut, std::size_t outBefore) {
        if (laidOut)
            check.Expect(out.size() == Layout(), "an edit rebuilds 4 or 7 points");
        else
            check.Expect(out.size() == outBefore,
                         "an edit of a list without its layout is refused");
    }

    ByteReader& in;
    Checker& check;
    du::SmartPtr<sxmk::CenterLineXYZ> record;
    Points out;
    bool frameCovered = true;  // a new record's frame is the identity
    const bool tracing = std::getenv("ILLSXMK_FUZZ_TRACE") != nullptr;
};

}  // namespace recordpath

inline Outcome RunRecordPath(const std::uint8_t* data, std::size_t size) {
    return RunHarness<recordpath::Run, ByteReader>(data, size);
}

}  // namespace fuzzharness
