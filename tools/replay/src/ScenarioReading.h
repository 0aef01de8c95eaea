#pragma once

// Reading a scenario's JSON, shared by the files that read its sections (ScenarioView.cpp,
// ScenarioScene.cpp, ScenarioMarkups.cpp, ScenarioPreferences.cpp, ScenarioActions.cpp, the
// expect action's part of Expectations.cpp and the fields' table, ExpectationFields.cpp). Each
// reader checks a value against its place and throws Invalid with a message that names the place
// ("markups[0].start[1]: ..."); ParseScenario turns the first one into the scenario's error.

#include "Scenario.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace replay {
namespace reading {

using Json = nlohmann::json;

struct Invalid : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what);
// The place of a member or an element: Field("view", "camera") is "view.camera".
std::string Field(const std::string& where, const std::string& key);
std::string Index(const std::string& where, std::size_t i);
// What a value is, for messages: "a string", "an array", "null", ...
std::string Describe(const Json& j);

void ExpectObject(const Json& j, const std::string& where);
// Refuses any key that is not in the allowed list.
void CheckKeys(const Json& j, const std::string& where, const std::vector<const char*>& allowed);
const Json& Require(const Json& j, const std::string& where, const char* key);
const Json* Optional(const Json& j, const char* key);
// into := read(member key of j, at its place where.key) when j has that member; else unchanged.
template <typename T, typename Reader>
void ReadIfPresent(const Json& j, const std::string& where, const char* key, Reader read, T& into) {
    if (const Json* v = Optional(j, key))
        into = read(*v, Field(where, key));
}

double ReadNumber(const Json& j, const std::string& where);
double ReadCoordinate(const Json& j, const std::string& where);  // within +/-1e9
float ReadFloat(const Json& j, const std::string& where);
int ReadInt(const Json& j, const std::string& where);  // also a whole number written 4.0 or 4e0
int ReadIntIn(const Json& j, const std::string& where, int lo, int hi);
bool ReadBool(const Json& j, const std::string& where);
std::string ReadString(const Json& j, const std::string& where);
const Json& ReadArray(const Json& j, const std::string& where);
std::vector<std::string> ReadNames(const Json& j, const std::string& where);
dg::DPoint3D ReadPoint(const Json& j, const std::string& where);  // coordinates within +/-1e9
// A point an expect action compares a record's with: any finite numbers, since a drag may take
// the record beyond the range a scene is written in (and a saved session checks what it reached).
dg::DPoint3D ReadCheckedPoint(const Json& j, const std::string& where);
dg::DVec3 ReadVector(const Json& j, const std::string& where);
dg::FMat33 ReadRotation(const Json& j, const std::string& where);
dg::Location ReadPlacement(const Json& j, const std::string& where);
PreferenceValue ReadPreference(const Json& j, const std::string& where);

// What each id of the scenario names; ids are unique across parts, labels, callouts and
// markups.
enum class Kind { Part, Label, Callout, CenterLine };
using Ids = std::map<std::string, Kind>;
// The object's "id": present, not empty and not used before; recorded in ids.
std::string ReadId(const Json& j, const std::string& where, Kind kind, Ids& ids);

// The sections, in the order the scenario is read.
ViewInput ReadView(const Json& j, const std::string& where);
// A camera given anew for the view (its kind and viewport stay): eye, target, up and projection
// for a shape view, the target for a plain one.
ViewInput ReadCamera(const Json& cam, const std::string& where, const ViewInput& view);
// The fields of a centre line that can be given or edited: path, extensions, ratio, frame, axis
// order and attachment (ScenarioMarkups.cpp).
void ReadCenterLineFields(const Json& j, const std::string& where, CenterLineEdit& e);
void ReadScene(const Json& j, Scenario& s, Ids& ids);
// A callout as the scene's callouts give it (ScenarioScene.cpp); its id is recorded.
LabelInput ReadCallout(const Json& j, const std::string& where, Ids& ids);
void ReadMarkups(const Json& j, Scenario& s, Ids& ids);
void ReadPreferences(const Json& j, Scenario& s);
// An action that adds a markup records its id in ids.
Action ReadAction(const Json& j, const std::string& where, const std::vector<ViewInput>& views,
                  Ids& ids);
// A centre line as the markups section gives it (ScenarioMarkups.cpp); its id is recorded.
CenterLineInput ReadCenterLine(const Json& j, const std::string& where, Ids& ids);
// The checks of an expect action (Expectations.cpp, through the fields' table).
void ReadExpectation(const Json& j, const std::string& where, const Ids& ids, Expectation& e);

}  // namespace reading
}  // namespace replay
