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
    if (const Json* v = Optional(j, "startExtension"))
        c.startExtension = ReadFloat(*v, Field(where, "startExtension"));
    if (const Json* v = Optional(j, "endExtension"))
        c.endExtension = ReadFloat(*v, Field(where, "endExtension"));
    if (const Json* v = Optional(j, "ratio"))
        c.ratio = ReadFloat(*v, Field(where, "ratio"));
    if (const Json* v = Optional(j, "frame"))
        c.frame = ReadRotation(*v, Field(where, "frame"));
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
    if (const Json* v = Optional(j, "partID"))
        c.partID = ReadString(*v, Field(where, "partID"));
    if (const Json* v = Optional(j, "attached"))
        c.attached = ReadBool(*v, Field(where, "attached"));
    if (const Json* v = Optional(j, "placement"))
        c.placement = ReadPlacement(*v, Field(where, "placement"));
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
