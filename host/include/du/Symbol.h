#pragma once

#include <du/Export.h>
#include <du/StandIn.h>

#include <string>

SXHOST_HEADER_BEGIN

namespace du {

// Interned identifier: equal texts share one entry, so comparison is a pointer comparison.
class SXHOST_API Symbol {
public:
    SXHOST_STANDIN_ONLY Symbol();
    Symbol(const char* text);
    SXHOST_STANDIN_ONLY Symbol(const std::string& text);

    SXHOST_STANDIN_ONLY const char* c_str() const { return text->c_str(); }
    SXHOST_STANDIN_ONLY const std::string& str() const { return *text; }
    SXHOST_STANDIN_ONLY bool IsEmpty() const { return text->empty(); }

    bool operator==(const Symbol& other) const { return text == other.text; }
    SXHOST_STANDIN_ONLY bool operator!=(const Symbol& other) const { return text != other.text; }

    static const Symbol EMPTY;

private:
    const std::string* text;
};

}  // namespace du

SXHOST_HEADER_END
