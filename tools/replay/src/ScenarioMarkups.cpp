// The scenario's "markups": the centre lines, each with its path, extensions, ratio, frame and
// attachment.
#include "ScenarioReading.h"

#include <array>
#include <set>

namespace replay {
namespace reading {

CenterLineInput ReadCenterLine(const Json& j, const std::string& where, Ids& ids) {
    CheckKeys(j, where,
              {"id", "start", "end", "path", "startExtension", "endExtension", "ratio", "frame",
               "axisOrder", "partID", "attached", "placement"});
    CenterLineInput c;
    c.id = ReadId(j, where, Kind::CenterLine, ids);
    Require(j, where, "start");
    Require(j, where, "end");
    CenterLineEdit fields;
    ReadCenterLineFields(j, where, fields);
    ApplyEdit(fields, c);
    ReadIfPresent(j, where, "placement", ReadPlacement, c.placement);
    return c;
}

void ReadCenterLineFields(const Json& j, const std::string& where, CenterLineEdit& e) {
    ReadIfPresent(j, where, "start", ReadPoint, e.start);
    ReadIfPresent(j, where, "end", ReadPoint, e.end);
    if (const Json* p = Optional(j, "path")) {
        const std::string path = ReadString(*p, Field(where, "path"));
        if (path != "straight" && path != "alongAxis")
            Fail(Field(where, "path"), "expected \"straight\" or \"alongAxis\"");
        e.alongAxis = path == "alongAxis";
    }
    ReadIfPresent(j, where, "startExtension", ReadFloat, e.startExtension);
    ReadIfPresent(j, where, "endExtension", ReadFloat, e.endExtension);
    ReadIfPresent(j, where, "ratio", ReadFloat, e.ratio);
    ReadIfPresent(j, where, "frame", ReadRotation, e.frame);
    if (const Json* v = Optional(j, "axisOrder")) {
        const std::string w = Field(where, "axisOrder");
        if (!v->is_array() || v->size() != 3)
            Fail(w, "expected three axis indices, a permutation of 0, 1, 2");
        std::set<int> seen;
        std::array<unsigned short, 3> order{};
        for (std::size_t i = 0; i < 3; ++i) {
            const int axis = ReadIntIn((*v)[i], Index(w, i), 0, 2);
            seen.insert(axis);
            order[i] = static_cast<unsigned short>(axis);
        }
        if (seen.size() != 3)
            Fail(w, "not a permutation of 0, 1, 2");
        e.axisOrder = order;
    }
    ReadIfPresent(j, where, "partID", ReadString, e.partID);
    ReadIfPresent(j, where, "attached", ReadBool, e.attached);
}

void ReadMarkups(const Json& j, Scenario& s, Ids& ids) {
    ReadArray(j, "markups");
    for (std::size_t i = 0; i < j.size(); ++i)
        s.centerLines.push_back(ReadCenterLine(j[i], Index("markups", i), ids));
}

}  // namespace reading
}  // namespace replay

namespace replay {

void ApplyEdit(const CenterLineEdit& edit, CenterLineInput& line) {
    line.start = edit.start.value_or(line.start);
    line.end = edit.end.value_or(line.end);
    line.alongAxis = edit.alongAxis.value_or(line.alongAxis);
    line.startExtension = edit.startExtension.value_or(line.startExtension);
    line.endExtension = edit.endExtension.value_or(line.endExtension);
    line.ratio = edit.ratio.value_or(line.ratio);
    line.frame = edit.frame.value_or(line.frame);
    line.axisOrder = edit.axisOrder.value_or(line.axisOrder);
    line.partID = edit.partID.value_or(line.partID);
    line.attached = edit.attached.value_or(line.attached);
}

}  // namespace replay
