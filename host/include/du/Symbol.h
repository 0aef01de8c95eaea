#pragma once

#include <du/Export.h>

#include <string>

namespace du {

// Interned identifier: equal texts share one entry, so comparison is a pointer comparison.
class SXHOST_API Symbol {
public:
    Symbol();
    Symbol(const char* text);
    Symbol(const std::string& text);

    const char* c_str() const { return text->c_str(); }
    const std::string& str() const { return *text; }
    bool IsEmpty() const { return text->empty(); }

    bool operator==(const Symbol& other) const { return text == other.text; }
    bool operator!=(const Symbol& other) const { return text != other.text; }

    static const Symbol EMPTY;

private:
    const std::string* text;
};

}  // namespace du
