// The scenario's "markups": the centre lines, each with its path, extensions, ratio, frame and
// attachment.
#include "ScenarioReading.h"

#include <set>

namespace replay {
namespace reading {

namespace {

CenterLineInput ReadCenterLine(const Json& j, const std::string& where, Ids& ids) {
    CheckKeys(j, where,
              {"id", "start", "end", "path", "startExtension", "endExtension", "ratio", "frame",
               "axisOrder", "partID", "attached", "placement"});
    CenterLineInput c;
    c.id = ReadId(j, where, Kind::CenterLine, ids);
    c.start = ReadPoint(Require(j, where, "start"), Field(where, "start"));
    c.end = ReadPoint(Require(j, where, "end"), Field(where, "end"));
    if (const Json* p = Optional(j, "path")) {
        const std::string path = ReadString(*p, Field(where, "path"));
        if (path != "straight" && path != "alongAxis")
            Fail(Field(where, "path"), "expected \"straight\" or \"alongAxis\"");
        c.alongAxis = path == "alongAxis";
    }
    ReadIfPresent(j, where, "startExtension", ReadFloat, c.startExtension);
    ReadIfPresent(j, where, "endExtension", ReadFloat, c.endExtension);
    ReadIfPresent(j, where, "ratio", ReadFloat, c.ratio);
    ReadIfPresent(j, where, "frame", ReadRotation, c.frame);
    if (const Json* v = Optional(j, "axisOrder")) {
        const std::string w = Field(where, "axisOrder");
        if (!v->is_array() || v->size() != 3)
            Fail(w, "expected three axis indices, a permutation of 0, 1, 2");
        std::set<int> seen;
        for (std::size_t i = 0; i < 3; ++i) {
            const int axis = ReadIntIn((*v)[i], Index(w, i), 0, 2);
            seen.insert(axis);
            c.axisOrder[i] = static_cast<unsigned short>(axis);
        }
        if (seen.size() != 3)
            Fail(w, "not a permutation of 0, 1, 2");
    }
    ReadIfPresent(j, where, "partID", ReadString, c.partID);
    ReadIfPresent(j, where, "attached", ReadBool, c.attached);
    ReadIfPresent(j, where, "placement", ReadPlacement, c.placement);
    return c;
}

}  // namespace

void ReadMarkups(const Json& j, Scenario& s, Ids& ids) {
    ReadArray(j, "markups");
    for (std::size_t i = 0; i < j.size(); ++i)
        s.centerLines.push_back(ReadCenterLine(j[i], Index("markups", i), ids));
}

}  // namespace reading
}  // namespace replay
