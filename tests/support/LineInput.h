#pragma once

// What a centre line is built from (the arguments of BuildPoints), shared by the tests and the
// benchmarks.

#include <dg/Location.h>
#include <dg/Vector.h>
#include <sxmk/CenterLineXYZ.h>

#include <vector>

namespace testsupport {

// How to build a record: BuildPoints's arguments.
struct LineInput {
    dg::DPoint3D start;
    dg::DPoint3D end;
    bool alongAxis = false;
    float startExt = 0.0f;
    float endExt = 0.0f;
    float ratio = 0.5f;
    dg::Location frame;
    unsigned short axisOrder[3] = {0, 1, 2};

    void Build(sxmk::CenterLineXYZ& record, std::vector<dg::DPoint3D>& out) const {
        record.BuildPoints(start, end, alongAxis, startExt, endExt, ratio, frame, axisOrder, out);
    }
};

inline LineInput StraightLine(const dg::DPoint3D& start, const dg::DPoint3D& end,
                              float startExt = 0.0f, float endExt = 0.0f) {
    LineInput lineInput;
    lineInput.start = start;
    lineInput.end = end;
    lineInput.startExt = startExt;
    lineInput.endExt = endExt;
    return lineInput;
}

inline LineInput AlongAxisLine(const dg::DPoint3D& start, const dg::DPoint3D& end,
                               float startExt = 0.0f, float endExt = 0.0f, float ratio = 0.5f) {
    LineInput lineInput = StraightLine(start, end, startExt, endExt);
    lineInput.alongAxis = true;
    lineInput.ratio = ratio;
    return lineInput;
}

}  // namespace testsupport
