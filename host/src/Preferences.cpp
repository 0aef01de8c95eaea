#include <sxk/HostileViewer.h>
#include <sxk/Preferences.h>

#include <limits>

namespace sxk {

namespace {
float ByteToUnit(int value, int shift) {
    return static_cast<float>((value >> shift) & 0xFF) / 255.0f;
}
}  // namespace

Preferences::Preferences() = default;

Preferences::~Preferences() = default;

bool Preferences::GetIntUIAsColor(const char* key, dg::Color& colour, bool* isDefault) const {
    ++readCount;
    if (isDefault)
        *isDefault = false;
    if (!key)
        return false;
    if (HostileViewer::IsOn(HostileViewer::PreferenceReadFails)) {
        // A failed read promises nothing about the colour it was handed.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        colour = dg::Color(nan, nan, nan, nan);
        return false;
    }
    const auto it = values.find(key);
    if (it == values.end())
        return false;
    const Value& v = it->second;
    switch (v.kind) {
        case Value::Colour:
            colour = v.colour;
            return true;
        case Value::Int:
            colour = dg::Color(ByteToUnit(v.intValue, 16), ByteToUnit(v.intValue, 8),
                               ByteToUnit(v.intValue, 0), 1.0f);
            return true;
        case Value::Text:
            break;
    }
    return false;
}

void Preferences::SetInt(const std::string& key, int value) {
    values[key] = Value{Value::Int, value, dg::Color(), std::string()};
}

void Preferences::SetColor(const std::string& key, const dg::Color& value) {
    values[key] = Value{Value::Colour, 0, value, std::string()};
}

void Preferences::SetText(const std::string& key, const std::string& value) {
    values[key] = Value{Value::Text, 0, dg::Color(), value};
}

void Preferences::Remove(const std::string& key) {
    values.erase(key);
}

}  // namespace sxk
