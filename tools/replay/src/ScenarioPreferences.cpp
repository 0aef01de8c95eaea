// The scenario's "preferences", and a preference value as a preferences action sets it.
#include "ScenarioReading.h"

namespace replay {
namespace reading {

PreferenceValue ReadPreference(const Json& j, const std::string& where) {
    PreferenceValue v;
    if (j.is_null())
        return v;
    if (j.is_string()) {
        v.kind = PreferenceValue::Text;
        v.text = j.get<std::string>();
        return v;
    }
    if (j.is_number()) {
        v.kind = PreferenceValue::Integer;
        v.integer = ReadIntIn(j, where, 0, 0xFFFFFF);
        return v;
    }
    if (j.is_array() && (j.size() == 3 || j.size() == 4)) {
        float c[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        for (std::size_t i = 0; i < j.size(); ++i) {
            const double value = ReadNumber(j[i], Index(where, i));
            if (value < 0.0 || value > 1.0)
                Fail(Index(where, i), "a colour component must lie in 0..1");
            c[i] = static_cast<float>(value);
        }
        v.kind = PreferenceValue::Colour;
        v.colour = dg::Color(c[0], c[1], c[2], c[3]);
        return v;
    }
    Fail(where, "expected an integer 0xRRGGBB, an [r, g, b(, a)] colour, a text, or null, got " +
                    Describe(j));
}

void ReadPreferences(const Json& j, Scenario& s) {
    CheckKeys(j, "preferences", {"preselectionColor"});
    if (const Json* c = Optional(j, "preselectionColor"))
        s.preselectionColor = ReadPreference(*c, "preferences.preselectionColor");
}

}  // namespace reading
}  // namespace replay
