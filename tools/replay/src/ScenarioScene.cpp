// The scenario's "scene": the parts a pick can hit, the plain labels and the callouts.
#include "ScenarioReading.h"

#include <map>

namespace replay {
namespace reading {

namespace {

PartInput ReadPart(const Json& j, const std::string& where, Ids& ids) {
    CheckKeys(j, where, {"id", "min", "max", "instance", "sbom", "weld"});
    PartInput p;
    p.id = ReadId(j, where, Kind::Part, ids);
    p.min = ReadPoint(Require(j, where, "min"), Field(where, "min"));
    p.max = ReadPoint(Require(j, where, "max"), Field(where, "max"));
    for (int c = 0; c < 3; ++c)
        if (p.min[c] > p.max[c])
            Fail(Field(where, "max"), "each coordinate must be at least that of min");
    p.instance = ReadString(Require(j, where, "instance"), Field(where, "instance"));
    ReadIfPresent(j, where, "sbom", ReadString, p.sbom);
    if (const Json* weld = Optional(j, "weld")) {
        if (!p.sbom)
            Fail(Field(where, "weld"), "a weld belongs to an SBOM instance: give sbom too");
        p.weld = ReadString(*weld, Field(where, "weld"));
    }
    return p;
}

LabelInput ReadLabel(const Json& j, const std::string& where, bool callout, Ids& ids) {
    if (callout)
        CheckKeys(j, where, {"id", "note", "description", "title", "position", "placement"});
    else
        CheckKeys(j, where, {"id", "note", "position", "placement"});
    LabelInput l;
    l.id = ReadId(j, where, callout ? Kind::Callout : Kind::Label, ids);
    l.note = ReadString(Require(j, where, "note"), Field(where, "note"));
    l.position = ReadPoint(Require(j, where, "position"), Field(where, "position"));
    ReadIfPresent(j, where, "description", ReadString, l.description);
    ReadIfPresent(j, where, "title", ReadString, l.title);
    ReadIfPresent(j, where, "placement", ReadPlacement, l.placement);
    return l;
}

}  // namespace

LabelInput ReadCallout(const Json& j, const std::string& where, Ids& ids) {
    return ReadLabel(j, where, true, ids);
}

void ReadScene(const Json& j, Scenario& s, Ids& ids) {
    CheckKeys(j, "scene", {"parts", "labels", "callouts", "minCalloutSize"});
    if (const Json* m = Optional(j, "minCalloutSize")) {
        static const std::map<std::string, int> sizes{
            {"none", 0}, {"small", 1}, {"medium", 2}, {"large", 3}};
        const std::string v = ReadString(*m, "scene.minCalloutSize");
        const auto it = sizes.find(v);
        if (it == sizes.end())
            Fail("scene.minCalloutSize", "expected none, small, medium or large");
        s.minCalloutSize = it->second;
    }
    const Json* parts = Optional(j, "parts");
    const Json* labels = Optional(j, "labels");
    const std::size_t objects = (parts ? ReadArray(*parts, "scene.parts").size() : 0) +
                                (labels ? ReadArray(*labels, "scene.labels").size() : 0);
    if (objects > kMaxSceneObjects)
        Fail("scene", std::to_string(objects) + " parts and labels; a scene holds at most " +
                          std::to_string(kMaxSceneObjects));
    if (parts) {
        for (std::size_t i = 0; i < parts->size(); ++i)
            s.parts.push_back(ReadPart((*parts)[i], Index("scene.parts", i), ids));
    }
    if (labels) {
        for (std::size_t i = 0; i < labels->size(); ++i)
            s.labels.push_back(ReadLabel((*labels)[i], Index("scene.labels", i), false, ids));
    }
    if (const Json* callouts = Optional(j, "callouts")) {
        ReadArray(*callouts, "scene.callouts");
        for (std::size_t i = 0; i < callouts->size(); ++i)
            s.callouts.push_back(ReadCallout((*callouts)[i], Index("scene.callouts", i), ids));
    }
}

}  // namespace reading
}  // namespace replay
