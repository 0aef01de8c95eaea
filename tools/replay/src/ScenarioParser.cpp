// Reading a scenario: JSON syntax first, then every field checked against its place, so that a
// bad scenario is refused as a whole with one message naming where the problem is. Each section
// has its reader (ScenarioReading.h); this file reads the document and the sections in order.
#include "Scenario.h"
#include "ScenarioReading.h"
#include "Utf8Text.h"

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace replay {

namespace {

using namespace reading;

Scenario ReadSections(const Json& root) {
    CheckKeys(
        root, "",
        {"name", "description", "view", "views", "scene", "markups", "preferences", "actions"});
    Scenario s;
    Ids ids;
    if (const Json* n = Optional(root, "name"))
        s.name = ReadString(*n, "name");
    if (const Json* d = Optional(root, "description"))
        s.description = ReadString(*d, "description");
    const Json* both = Optional(root, "views");
    if (both && Optional(root, "view"))
        Fail("views", "give either view or views, not both");
    if (!both) {
        s.view = ReadView(Require(root, "", "view"), "view");
    } else {
        ReadArray(*both, "views");
        if (both->empty() || both->size() > 2)
            Fail("views", "one or two views");
        s.view = ReadView((*both)[0], Index("views", 0));
        if (both->size() == 2)
            s.secondView = ReadView((*both)[1], Index("views", 1));
    }
    if (const Json* scene = Optional(root, "scene"))
        ReadScene(*scene, s, ids);
    if (const Json* markups = Optional(root, "markups"))
        ReadMarkups(*markups, s, ids);
    if (const Json* prefs = Optional(root, "preferences"))
        ReadPreferences(*prefs, s);
    const Json& actions = ReadArray(Require(root, "", "actions"), "actions");
    const std::vector<ViewInput> views = ViewsOf(s);
    for (std::size_t i = 0; i < actions.size(); ++i)
        s.actions.push_back(ReadAction(actions[i], Index("actions", i), views, ids));
    return s;
}

// Builds the document like the library's own reader, but keeps track of where it is, so that a
// number too large to hold (1e999) is refused with its place instead of a bare overflow.
class PathTrackingReader {
public:
    explicit PathTrackingReader(Json& root) : dom(root, true) {}

    bool null() { return Value(dom.null()); }
    bool boolean(bool v) { return Value(dom.boolean(v)); }
    bool number_integer(Json::number_integer_t v) { return Value(dom.number_integer(v)); }
    bool number_unsigned(Json::number_unsigned_t v) { return Value(dom.number_unsigned(v)); }
    bool number_float(Json::number_float_t v, const Json::string_t& text) {
        if (!std::isfinite(v)) {
            error = Path() + ": not a finite number (" + text + ")";
            return false;
        }
        return Value(dom.number_float(v, text));
    }
    bool string(Json::string_t& v) { return Value(dom.string(v)); }
    bool binary(Json::binary_t& v) { return Value(dom.binary(v)); }
    bool start_object(std::size_t n) {
        Enter(false);
        return dom.start_object(n);
    }
    // A key given twice would silently replace the first value (a second "actions" hiding the
    // first one's checks): refused at its place.
    bool key(Json::string_t& k) {
        Frame& object = frames.back();
        object.key = k;
        object.awaitsKey = false;
        if (!object.keys.insert(k).second) {
            error = Path() + ": duplicate key";
            return false;
        }
        return dom.key(k);
    }
    bool end_object() {
        Leave();
        return Value(dom.end_object());
    }
    bool start_array(std::size_t n) {
        Enter(true);
        return dom.start_array(n);
    }
    bool end_array() {
        Leave();
        return Value(dom.end_array());
    }
    bool parse_error(std::size_t, const std::string& token, const nlohmann::detail::exception& e) {
        // The reader refuses a number beyond the double range (1e999) as an overflow.
        if (dynamic_cast<const Json::out_of_range*>(&e)) {
            error = Path() + ": not a finite number (" + token + ")";
            return false;
        }
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." -> the tail.
        // What the reader last read is quoted as it is, so the message is made valid UTF-8.
        const std::string what = ValidUtf8(e.what());
        const std::size_t at = what.find("parse error");
        const std::string tail = at == std::string::npos ? what : what.substr(at);
        error = StringError(tail);
        if (error.empty())
            error = "not valid JSON: " + tail;
        return false;
    }

    std::string error;

private:
    struct Frame {
        bool array = false;
        std::size_t index = 0;
        std::string key;
        bool awaitsKey = true;       // an object between its members: the next string is a key
        std::set<std::string> keys;  // of an object, those read so far
    };

    // The place of the value being read; of the object, when what is read is one of its keys.
    std::string Path() const {
        std::string path;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const Frame& f = frames[i];
            if (f.array)
                path += "[" + std::to_string(f.index) + "]";
            else if (!(i + 1 == frames.size() && f.awaitsKey))
                path += (path.empty() ? "" : ".") + f.key;
        }
        return path.empty() ? "scenario" : path;
    }
    // A string the reader refused (not valid UTF-8, a lone surrogate, an unescaped control
    // character, no closing quote), said at its place:
    // "name: not valid text (ill-formed UTF-8 byte; line 1, column 13)". Empty for other errors.
    std::string StringError(const std::string& tail) const {
        const std::string kInvalid = "invalid string: ", kAt = "parse error at ";
        const std::size_t reason = tail.find(kInvalid);
        if (reason == std::string::npos)
            return "";
        const std::size_t begin = reason + kInvalid.size();
        const std::string why = tail.substr(begin, tail.find("; last read", begin) - begin);
        const bool inKey = !frames.empty() && !frames.back().array && frames.back().awaitsKey;
        std::string place;
        if (tail.compare(0, kAt.size(), kAt) == 0)
            place = "; " + tail.substr(kAt.size(), tail.find(':') - kAt.size());
        return Path() + ": " + (inKey ? "a field name is not valid text (" : "not valid text (") +
               why + place + ")";
    }
    void Enter(bool array) { frames.push_back(Frame{array, 0, {}, true, {}}); }
    void Leave() {
        if (!frames.empty())
            frames.pop_back();
    }
    // A value is complete: the next one in an array has the next index, in an object a key
    // comes next.
    bool Value(bool ok) {
        if (!frames.empty()) {
            if (frames.back().array)
                ++frames.back().index;
            else
                frames.back().awaitsKey = true;
        }
        return ok;
    }

    nlohmann::detail::json_sax_dom_parser<Json> dom;
    std::vector<Frame> frames;
};

}  // namespace

ParseOutcome ParseScenario(const std::string& text) {
    ParseOutcome outcome;
    Json root;
    PathTrackingReader reader(root);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(text, &reader);
    } catch (const Json::exception& e) {
        reader.error = std::string("not valid JSON: ") + e.what();
    }
    if (!parsed) {
        outcome.error = reader.error.empty() ? "not valid JSON" : Printable(reader.error);
        return outcome;
    }
    try {
        outcome.scenario = ReadSections(root);
    } catch (const Invalid& e) {
        outcome.error = e.what();
    } catch (const Json::exception& e) {
        outcome.error = Printable(std::string("unreadable value: ") + e.what());
    }
    return outcome;
}

ActionOutcome ParseAction(const Scenario& scenario, const std::vector<Action>& played,
                          const std::string& text) {
    ActionOutcome outcome;
    try {
        const Json j = Json::parse(text);
        Ids ids;
        for (const PartInput& p : scenario.parts)
            ids.emplace(p.id, Kind::Part);
        for (const LabelInput& l : scenario.labels)
            ids.emplace(l.id, Kind::Label);
        for (const LabelInput& c : scenario.callouts)
            ids.emplace(c.id, Kind::Callout);
        for (const CenterLineInput& c : scenario.centerLines)
            ids.emplace(c.id, Kind::CenterLine);
        for (const Action& a : played) {
            if (a.added)
                ids.emplace(a.added->id, Kind::CenterLine);
            if (a.addedCallout)
                ids.emplace(a.addedCallout->id, Kind::Callout);
        }
        outcome.action = ReadAction(j, "action", ViewsOf(scenario), ids);
    } catch (const Invalid& e) {
        outcome.error = e.what();
    } catch (const Json::exception& e) {
        outcome.error = Printable(std::string("not valid JSON: ") + e.what());
    }
    return outcome;
}

}  // namespace replay
