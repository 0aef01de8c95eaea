#pragma once

#include <dg/Color.h>
#include <du/Export.h>
#include <du/RefCounted.h>
#include <du/StandIn.h>

#include <map>
#include <string>

SXHOST_HEADER_BEGIN

namespace sxk {

// The viewer's preferences: keyed values. Colours are kept as the viewer keeps them, either as
// an integer 0xRRGGBB (alpha 1) or as a colour value.
class SXHOST_API Preferences : public virtual du::RefCounted {
public:
    SXHOST_STANDIN_ONLY Preferences();
    ~Preferences() override;

    // True and colour set when the key holds a colour; otherwise false and colour untouched.
    bool GetIntUIAsColor(const char* key, dg::Color& colour, bool* isDefault) const;

    SXHOST_STANDIN_ONLY void SetInt(const std::string& key, int value);
    SXHOST_STANDIN_ONLY void SetColor(const std::string& key, const dg::Color& value);
    SXHOST_STANDIN_ONLY void SetText(const std::string& key, const std::string& value);
    SXHOST_STANDIN_ONLY void Remove(const std::string& key);

    SXHOST_STANDIN_ONLY mutable int readCount = 0;

private:
    struct Value {
        enum Kind { Int, Colour, Text } kind;
        int intValue;
        dg::Color colour;
        std::string text;
    };
    std::map<std::string, Value> values;
};

}  // namespace sxk

SXHOST_HEADER_END
