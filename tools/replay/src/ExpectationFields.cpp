// The table of expectation and record fields (ExpectationFields.h): the kinds of value a field
// holds, the rows made of them, and the few fields that read the session their own way.
#include "ExpectationFields.h"

#include "RecordState.h"
#include "ReplayScene.h"
#include "UndoController.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>

namespace replay {

const LineShadow& CheckedSession::Shadow() const {
    return line->shadows[view];
}

namespace {

using reading::Ids;
using reading::Json;

bool Finite(const dg::DPoint3D& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double Largest(const dg::DPoint3D& p) {
    return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
}

// A handle by its key ("startPoint", ...).
HandleName ReadHandle(const std::string& key, const std::string& where) {
    for (HandleName h : kAllHandles)
        if (key == HandleKey(h))
            return h;
    reading::Fail(where, "unknown handle \"" + key +
                             "\" (startPoint, endPoint, startExtension, endExtension, jog)");
}

// The kinds of value. Each answers its Type; Read (from a scenario, at its place); Holds (a found
// value for the expected one, within the expectation's tolerance where that applies); Show (for
// the log); Write (into a scenario); Same (exactly, for the record's changes); Changes (the log
// lines of a changed record value); Exportable (a record's value can be written, and how large it
// is). A kind gives only what its rows use.

// A changed value is one line.
template <typename Kind>
struct WholeValue {
    template <typename T>
    static void Changes(const std::string& name, const T& before, const T& after,
                        std::vector<std::string>& out) {
        if (!Kind::Same(before, after))
            out.push_back(name + ": " + Kind::Show(before) + " -> " + Kind::Show(after));
    }
};

struct PointValue : WholeValue<PointValue> {
    using Type = dg::DPoint3D;
    static Type Read(const Json& j, const std::string& where) {
        return reading::ReadCheckedPoint(j, where);
    }
    static bool Holds(const Type& want, const Type& got, double tolerance) {
        return Near(want, got, tolerance);
    }
    static std::string Show(const Type& v) { return Format(v); }
    static writing::Json Write(const Type& v) { return writing::Point(v); }
    static bool Same(const Type& a, const Type& b) { return replay::Same(a, b); }
    static bool Exportable(const Type& v, double& scale) {
        if (!Finite(v))
            return false;
        scale = std::max(scale, Largest(v));
        return true;
    }
};

struct VectorValue : WholeValue<VectorValue> {
    using Type = dg::DVec3;
    static std::string Show(const Type& v) { return Format(v); }
    static bool Same(const Type& a, const Type& b) { return replay::Same(a, b); }
};

// Single-precision record values (extensions, ratio) are shown and checked as doubles.
struct NumberValue : WholeValue<NumberValue> {
    using Type = double;
    static Type Read(const Json& j, const std::string& where) {
        return reading::ReadNumber(j, where);
    }
    static bool Holds(Type want, Type got, double tolerance) { return Near(want, got, tolerance); }
    static std::string Show(Type v) { return Format(v); }
    static writing::Json Write(Type v) { return writing::Number(v); }
    static bool Same(Type a, Type b) { return replay::Same(a, b); }
    static bool Exportable(Type v, double& scale) {
        if (!std::isfinite(v))
            return false;
        scale = std::max(scale, std::fabs(v));
        return true;
    }
};

// Values compared exactly, whatever the tolerance.
template <typename Kind, typename T>
struct ExactValue : WholeValue<Kind> {
    using Type = T;
    static bool Holds(const Type& want, const Type& got, double) { return want == got; }
    static writing::Json Write(const Type& v) { return v; }
    static bool Same(const Type& a, const Type& b) { return a == b; }
    static bool Exportable(const Type&, double&) { return true; }
};

struct FlagValue : ExactValue<FlagValue, bool> {
    static Type Read(const Json& j, const std::string& where) {
        return reading::ReadBool(j, where);
    }
    static std::string Show(Type v) { return v ? "true" : "false"; }
};

struct TextValue : ExactValue<TextValue, std::string> {
    static Type Read(const Json& j, const std::string& where) {
        return reading::ReadString(j, where);
    }
    static std::string Show(const Type& v) { return Quote(v); }
};

struct IntValue : ExactValue<IntValue, int> {
    static Type Read(const Json& j, const std::string& where) { return reading::ReadInt(j, where); }
    static std::string Show(Type v) { return std::to_string(v); }
};

struct NamesValue : ExactValue<NamesValue, std::vector<std::string>> {
    static Type Read(const Json& j, const std::string& where) {
        return reading::ReadNames(j, where);
    }
    static std::string Show(const Type& v) { return Join(v); }
    static writing::Json Write(const Type& v) { return writing::Names(v); }
};

// A centre line's list of points; a change of one point is a line of its own.
struct PointsValue {
    using Type = std::vector<dg::DPoint3D>;
    static Type Read(const Json& j, const std::string& where) {
        reading::ReadArray(j, where);
        Type points;
        for (std::size_t i = 0; i < j.size(); ++i)
            points.push_back(reading::ReadCheckedPoint(j[i], reading::Index(where, i)));
        return points;
    }
    static bool Holds(const Type& want, const Type& got, double tolerance) {
        bool holds = got.size() == want.size();
        for (std::size_t i = 0; holds && i < got.size(); ++i)
            holds = Near(want[i], got[i], tolerance);
        return holds;
    }
    static std::string Show(const Type& v) { return Format(v); }
    static writing::Json Write(const Type& v) { return writing::Points(v); }
    static bool Same(const Type& a, const Type& b) { return replay::Same(a, b); }
    static bool Exportable(const Type& v, double& scale) {
        if (!std::all_of(v.begin(), v.end(), Finite))
            return false;
        for (const dg::DPoint3D& p : v)
            scale = std::max(scale, Largest(p));
        return true;
    }
    static void Changes(const std::string& name, const Type& before, const Type& after,
                        std::vector<std::string>& out) {
        if (Same(before, after))
            return;
        if (before.size() != after.size()) {
            out.push_back(name + ": " + Format(before) + " -> " + Format(after));
            return;
        }
        for (std::size_t i = 0; i < before.size(); ++i)
            if (!replay::Same(before[i], after[i]))
                out.push_back(name + "[" + std::to_string(i) + "]: " + Format(before[i]) + " -> " +
                              Format(after[i]));
    }
};

// Handles by name, in any order: compared and shown sorted by name.
struct HandleSetValue {
    using Type = std::vector<HandleName>;
    static Type Read(const Json& j, const std::string& where) {
        Type handles;
        const std::vector<std::string> names = reading::ReadNames(j, where);
        for (std::size_t i = 0; i < names.size(); ++i)
            handles.push_back(ReadHandle(names[i], reading::Index(where, i)));
        return handles;
    }
    static std::vector<std::string> SortedKeys(const Type& v) {
        std::vector<std::string> keys;
        for (HandleName h : v)
            keys.push_back(HandleKey(h));
        std::sort(keys.begin(), keys.end());
        return keys;
    }
    static bool Holds(const Type& want, const Type& got, double) {
        return SortedKeys(want) == SortedKeys(got);
    }
    static std::string Show(const Type& v) { return Join(SortedKeys(v)); }
    static writing::Json Write(const Type& v) {
        writing::Json out = writing::Json::array();
        for (HandleName h : v)
            out.push_back(HandleKey(h));
        return out;
    }
};

template <typename Kind>
using Member = std::optional<typename Kind::Type> Expectation::*;
template <typename Kind>
using Reader = typename Kind::Type (*)(const Json&, const std::string&);
template <typename Kind>
using Getter = std::function<typename Kind::Type(const CheckedSession&)>;
// Checks a value beyond its type (a handle's name, an id of the scenario) at its place.
template <typename Kind>
using Validator = void (*)(const typename Kind::Type&, const std::string& where, const Ids& ids);

std::string CheckName(const Expectation& e, FieldOwner owner, const char* key) {
    return owner == FieldOwner::Session ? std::string(key) : e.markup + "." + key;
}

// A field of the expect action, its current value read from the session by got.
template <typename Kind>
ExpectationField Checked(const char* key, FieldOwner owner, Member<Kind> member, Getter<Kind> got,
                         Validator<Kind> validate = nullptr, Reader<Kind> read = &Kind::Read) {
    ExpectationField f;
    f.key = key;
    f.owner = owner;
    f.read = [member, validate, read](const Json& v, const std::string& where, const Ids& ids,
                                      Expectation& e) {
        e.*member = read(v, where);
        if (validate)
            validate(*(e.*member), where, ids);
    };
    f.present = [member](const Expectation& e) { return (e.*member).has_value(); };
    f.check = [member, got, key, owner](const Expectation& e, const CheckedSession& session) {
        const typename Kind::Type& want = *(e.*member);
        const typename Kind::Type found = got(session);
        return std::vector<FieldCheck>{{CheckName(e, owner, key),
                                        Kind::Holds(want, found, e.tolerance), Kind::Show(want),
                                        Kind::Show(found)}};
    };
    f.write = [member, key](const Expectation& e, writing::Json& out) {
        out[key] = Kind::Write(*(e.*member));
    };
    f.same = [member](const Expectation& a, const Expectation& b) {
        return a.*member == b.*member;
    };
    return f;
}

// Where a markup's snapshot keeps its fields.
template <typename State>
const State& StateIn(const RecordValues& record);
template <>
const CenterLineState& StateIn(const RecordValues& record) {
    return *record.line;
}
template <>
const CalloutState& StateIn(const RecordValues& record) {
    return *record.callout;
}
template <typename State>
constexpr FieldOwner kOwnerOf = FieldOwner::CenterLine;
template <>
constexpr FieldOwner kOwnerOf<CalloutState> = FieldOwner::Callout;

// Where a snapshot's field is taken from: the markup's entry in the scene.
void SetCapture(ExpectationField& f,
                std::function<void(const CenterLineEntry&, CenterLineState&)> capture) {
    f.captureLine = std::move(capture);
}
void SetCapture(ExpectationField& f,
                std::function<void(const CalloutEntry&, CalloutState&)> capture) {
    f.captureCallout = std::move(capture);
}
template <typename State>
using EntryOf =
    std::conditional_t<std::is_same_v<State, CenterLineState>, CenterLineEntry, CalloutEntry>;

// A field the record keeps and scenarios do not check: it is taken into the snapshot by read
// (from the markup's entry), compared exactly, and its changes are logged.
template <typename Kind, typename State, typename Value, typename Read>
ExpectationField RecordOnly(const char* key, Value State::*state, Read read) {
    ExpectationField f;
    f.key = key;
    f.owner = kOwnerOf<State>;
    SetCapture(f, std::function<void(const EntryOf<State>&, State&)>(
                      [state, read](const EntryOf<State>& entry, State& into) {
                          into.*state = static_cast<Value>(read(entry));
                      }));
    f.sameInRecord = [state](const RecordValues& a, const RecordValues& b) {
        return Kind::Same(static_cast<typename Kind::Type>(StateIn<State>(a).*state),
                          static_cast<typename Kind::Type>(StateIn<State>(b).*state));
    };
    f.changes = [key, state](const std::string& id, const RecordValues& before,
                             const RecordValues& after, std::vector<std::string>& out) {
        Kind::Changes(id + "." + key,
                      static_cast<typename Kind::Type>(StateIn<State>(before).*state),
                      static_cast<typename Kind::Type>(StateIn<State>(after).*state), out);
    };
    return f;
}

// A field the record keeps and scenarios check: the value checked is the record's.
template <typename Kind, typename State, typename Value, typename Read>
ExpectationField Recorded(const char* key, Member<Kind> member, Value State::*state, Read read,
                          bool storedList = false) {
    auto value = [state](const RecordValues& record) {
        return static_cast<typename Kind::Type>(StateIn<State>(record).*state);
    };
    ExpectationField f = Checked<Kind>(
        key, kOwnerOf<State>, member, [value](const CheckedSession& s) { return value(s.record); });
    const ExpectationField recordSide = RecordOnly<Kind>(key, state, read);
    f.changes = recordSide.changes;
    f.captureLine = recordSide.captureLine;
    f.captureCallout = recordSide.captureCallout;
    f.sameInRecord = recordSide.sameInRecord;
    f.fromRecord = [member, value](const RecordValues& now, Expectation& e, double& scale) {
        const typename Kind::Type v = value(now);
        if (!Kind::Exportable(v, scale))
            return false;
        e.*member = v;
        return true;
    };
    f.storedList = storedList;
    return f;
}

// Node positions by handle name, object space; each handle is a check of its own.
ExpectationField Handles() {
    ExpectationField f;
    f.key = "handles";
    f.owner = FieldOwner::CenterLine;
    f.read = [](const Json& v, const std::string& where, const Ids&, Expectation& e) {
        reading::ExpectObject(v, where);
        // An empty set would count as a check and check nothing.
        if (v.empty())
            reading::Fail(where,
                          "names no handle (startPoint, endPoint, startExtension, "
                          "endExtension, jog)");
        for (auto it = v.begin(); it != v.end(); ++it)
            e.handles.emplace_back(
                ReadHandle(it.key(), reading::Field(where, it.key())),
                reading::ReadCheckedPoint(it.value(), reading::Field(where, it.key())));
    };
    f.present = [](const Expectation& e) { return !e.handles.empty(); };
    f.check = [](const Expectation& e, const CheckedSession& session) {
        std::vector<FieldCheck> checks;
        for (const auto& [handle, want] : e.handles) {
            const std::string what = e.markup + ".handles." + HandleKey(handle);
            const sxmu::ModelBase* node = ReplayScene::NodeOf(session.Shadow(), handle);
            if (!node) {
                checks.push_back({what, false, Format(want), "no such node"});
                continue;
            }
            const dg::DPoint3D got = node->location.GetPos();
            checks.push_back({what, Near(want, got, e.tolerance), Format(want), Format(got)});
        }
        return checks;
    };
    f.write = [](const Expectation& e, writing::Json& out) {
        writing::Json handles = writing::Json::object();
        for (const auto& [handle, at] : e.handles)
            handles[HandleKey(handle)] = writing::Point(at);
        out["handles"] = handles;
    };
    f.same = [](const Expectation& a, const Expectation& b) { return a.handles == b.handles; };
    return f;
}

std::vector<HandleName> ShownHandles(const CheckedSession& s) {
    std::vector<HandleName> shown;
    if (const sxmu::ModelContainer* root = ReplayScene::RootOf(s.Shadow()))
        for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren())
            if (const auto h = ReplayScene::HandleOf(s.Shadow(), child.get()))
                shown.push_back(*h);
    return shown;
}

// The handles drawn preselected: "none", "jog", or several joined by "+".
std::string HighlightedHandles(const CheckedSession& s) {
    std::string got;
    for (HandleName h : kAllHandles)
        if (ReplayScene::IsHighlighted(s.Shadow(), ReplayScene::NodeOf(s.Shadow(), h))) {
            if (!got.empty())
                got += '+';
            got += HandleKey(h);
        }
    return got.empty() ? "none" : got;
}

std::string ConnectionTarget(const CheckedSession& s) {
    const du::SmartPtr<sxk::Markup> target = s.Shadow().shadow->GetConnectionTarget();
    const std::string* id = target ? s.scene.IdOf(target.get()) : nullptr;
    return target ? (id ? *id : std::string("?")) : std::string("none");
}

void HandleOrNone(const std::string& value, const std::string& where, const Ids&) {
    if (value != "none")
        ReadHandle(value, where);
}

void ItemForm(const std::string& value, const std::string& where, const Ids&) {
    if (value != "none" && value.rfind("sbom:", 0) != 0 && value.rfind("instance:", 0) != 0)
        reading::Fail(where, "expected \"none\", \"sbom:<ID path>\" or \"instance:<ID path>\"");
}

void LabelOrCallout(const std::string& value, const std::string& where, const Ids& ids) {
    if (value == "none")
        return;
    const auto it = ids.find(value);
    if (it == ids.end() ||
        (it->second != reading::Kind::Label && it->second != reading::Kind::Callout))
        reading::Fail(where, "no label or callout \"" + value + "\" in the scenario");
}

int ReadCount(const Json& j, const std::string& where) {
    return reading::ReadIntIn(j, where, 0, std::numeric_limits<int>::max());
}

using E = Expectation;

// The record's fields, then what the shadow shows.
std::vector<ExpectationField> CenterLineFields() {
    const FieldOwner line = FieldOwner::CenterLine;
    using L = CenterLineState;
    using Entry = const CenterLineEntry&;
    return {
        Recorded<PointValue>("startPoint", &E::startPoint, &L::startPoint,
                             [](Entry e) { return e.record->GetStartPoint(); }),
        Recorded<PointValue>("endPoint", &E::endPoint, &L::endPoint,
                             [](Entry e) { return e.record->GetEndPoint(); }),
        Recorded<NumberValue>("startExtension", &E::startExtension, &L::startExtension,
                              [](Entry e) { return e.record->GetStartExtention(); }),
        Recorded<NumberValue>("endExtension", &E::endExtension, &L::endExtension,
                              [](Entry e) { return e.record->GetEndExtention(); }),
        Recorded<NumberValue>("ratio", &E::ratio, &L::ratio,
                              [](Entry e) { return e.record->GetDivRation(); }),
        Recorded<FlagValue>("alongAxis", &E::alongAxis, &L::alongAxis,
                            [](Entry e) { return e.record->IsAlongAxis(); }),
        Recorded<FlagValue>("attached", &E::attached, &L::attached,
                            [](Entry e) { return e.record->IsEndPointAttached(); }),
        Recorded<PointsValue>(
            "points", &E::points, &L::points, [](Entry e) { return *e.record->GetPoints(); }, true),
        Recorded<TextValue>("partID", &E::partID, &L::partID,
                            [](Entry e) { return e.record->GetPartID().str(); }),
        RecordOnly<PointValue>("startAxisLimit", &L::startAxisLimit,
                               [](Entry e) { return e.record->GetStartAxisLimit(); }),
        RecordOnly<PointValue>("endAxisLimit", &L::endAxisLimit,
                               [](Entry e) { return e.record->GetEndAxisLimit(); }),
        RecordOnly<VectorValue>("mainAxisDirection", &L::mainAxisDirection,
                                [](Entry e) { return e.record->GetMainAxisDirection(); }),
        Recorded<IntValue>("midPointIndex", &E::midPointIndex, &L::midPointIndex,
                           [](Entry e) { return e.record->GetMidPointIndex(); }),
        Handles(),
        Checked<HandleSetValue>("shown", line, &E::shown, ShownHandles),
        Checked<TextValue>("highlighted", line, &E::highlighted, HighlightedHandles, HandleOrNone),
        Checked<IntValue>(
            "pickedNode", line, &E::pickedNode,
            [](const CheckedSession& s) { return s.Shadow().shadow->GetPickedNode(); }),
        Checked<TextValue>(
            "endPointItem", line, &E::endPointItem,
            [](const CheckedSession& s) {
                return DescribeItem(s.Shadow().shadow->GetEndPointItem());
            },
            ItemForm),
        Checked<TextValue>(
            "startPointItem", line, &E::startPointItem,
            [](const CheckedSession& s) {
                return DescribeItem(s.Shadow().shadow->GetStartPointItem());
            },
            ItemForm),
        Checked<TextValue>("connectionTarget", line, &E::connectionTarget, ConnectionTarget,
                           LabelOrCallout),
    };
}

std::vector<ExpectationField> CalloutFields() {
    using C = CalloutState;
    using Entry = const CalloutEntry&;
    return {
        Recorded<PointValue>("position", &E::position, &C::position,
                             [](Entry e) { return e.label->GetPos(); }),
        RecordOnly<VectorValue>("dragOffset", &C::dragOffset,
                                // Of the view where the callout is being dragged, if any.
                                [](Entry e) {
                                    for (const auto& shadow : e.shadows)
                                        if (const sxmu::ModelNoteDragger* dragger =
                                                ReplayScene::DraggerOf(shadow.get()))
                                            if (dragger->dragDisplacement != dg::DVec3::ZERO)
                                                return dragger->dragDisplacement;
                                    return dg::DVec3::ZERO;
                                }),
        RecordOnly<IntValue>("minimumSize", &C::minimumSize,
                             [](Entry e) {
                                 return e.label->note ? static_cast<int>(e.label->note->minimumSize)
                                                      : 0;
                             }),
    };
}

std::vector<ExpectationField> SessionFields() {
    const FieldOwner session = FieldOwner::Session;
    return {
        Checked<NamesValue>("operations", session, &E::operations,
                            [](const CheckedSession&) { return RecordedOperationNames(); }),
        Checked<TextValue>("lastOperation", session, &E::lastOperation,
                           [](const CheckedSession&) {
                               const std::vector<std::string> names = RecordedOperationNames();
                               return names.empty() ? std::string() : names.back();
                           }),
        Checked<NamesValue>("undo", session, &E::undo,
                            [](const CheckedSession& s) { return s.controller.UndoNames(); }),
        Checked<NamesValue>("redo", session, &E::redo,
                            [](const CheckedSession& s) { return s.controller.RedoNames(); }),
        Checked<IntValue>(
            "controllerCalls", session, &E::controllerCalls,
            [](const CheckedSession& s) { return s.controller.Calls(); }, nullptr, ReadCount),
        Checked<IntValue>(
            "pendingPicks", session, &E::pendingPicks,
            [](const CheckedSession& s) {
                int pending = 0;
                for (const SceneView& v : s.scene.views)
                    if (v.shapeView)
                        pending += static_cast<int>(v.shapeView->pendingPicks.size());
                return pending;
            },
            nullptr, ReadCount),
        Checked<TextValue>("cursor", session, &E::cursor,
                           [](const CheckedSession& s) {
                               const sxk::Window* window = s.scene.views[s.view].Window();
                               return window ? window->currentCursor.str() : std::string();
                           }),
    };
}

std::vector<ExpectationField> MakeFields() {
    std::vector<ExpectationField> fields = CenterLineFields();
    for (auto part : {CalloutFields(), SessionFields()})
        fields.insert(fields.end(), part.begin(), part.end());
    return fields;
}

}  // namespace

const std::vector<ExpectationField>& ExpectationFields() {
    static const std::vector<ExpectationField> fields = MakeFields();
    return fields;
}

}  // namespace replay
