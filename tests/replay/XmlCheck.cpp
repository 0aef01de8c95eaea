#include "XmlCheck.h"

#include <cctype>
#include <set>
#include <vector>

namespace replaytest {

namespace {

class Checker {
public:
    explicit Checker(const std::string& text) : s(text) {}

    std::string Run() {
        if (s.compare(0, 5, "<?xml") == 0) {
            const std::size_t end = s.find("?>");
            if (end == std::string::npos)
                return Error("unterminated declaration");
            i = end + 2;
        }
        SkipMisc();
        if (i >= s.size() || s[i] != '<')
            return Error("no root element");
        if (!Element())
            return error;
        SkipMisc();
        if (!error.empty())
            return error;
        if (i != s.size())
            return Error("content after the root element");
        return "";
    }

private:
    std::string Error(const std::string& what) {
        if (error.empty())
            error = what + " at offset " + std::to_string(i);
        return error;
    }

    static bool NameStart(char c) {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':';
    }
    static bool NameChar(char c) {
        return NameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
    }

    void SkipSpace() {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
    }

    // Whitespace and comments.
    void SkipMisc() {
        for (;;) {
            SkipSpace();
            if (s.compare(i, 4, "<!--") != 0)
                return;
            if (!Comment())
                return;
        }
    }

    bool Comment() {
        const std::size_t end = s.find("-->", i + 4);
        if (end == std::string::npos) {
            Error("unterminated comment");
            return false;
        }
        i = end + 3;
        return true;
    }

    bool Name(std::string& out) {
        if (i >= s.size() || !NameStart(s[i])) {
            Error("expected a name");
            return false;
        }
        const std::size_t start = i;
        while (i < s.size() && NameChar(s[i]))
            ++i;
        out = s.substr(start, i - start);
        return true;
    }

    // At '&': a predefined entity or a character reference.
    bool Reference() {
        const std::size_t end = s.find(';', i);
        if (end == std::string::npos || end - i > 12) {
            Error("'&' that starts no reference");
            return false;
        }
        const std::string ref = s.substr(i + 1, end - i - 1);
        static const std::set<std::string> named{"amp", "lt", "gt", "quot", "apos"};
        bool ok = named.count(ref) > 0;
        if (!ok && ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x';
            ok = ref.size() > (hex ? 2u : 1u);
            for (std::size_t k = hex ? 2 : 1; ok && k < ref.size(); ++k)
                ok = hex ? std::isxdigit(static_cast<unsigned char>(ref[k])) != 0
                         : std::isdigit(static_cast<unsigned char>(ref[k])) != 0;
        }
        if (!ok) {
            Error("unknown reference &" + ref + ";");
            return false;
        }
        i = end + 1;
        return true;
    }

    // One character of text: valid UTF-8 and allowed by XML 1.0 (Char).
    bool Char() {
        std::size_t length = 0;
        const long c = DecodeXmlChar(s, i, length);
        if (c < 0) {
            Error(c == kNotUtf8 ? "byte sequence that is not UTF-8"
                                : "character XML does not allow");
            return false;
        }
        i += length;
        return true;
    }

    bool Element() {
        ++i;  // '<'
        std::string name;
        if (!Name(name))
            return false;
        std::set<std::string> attributes;
        for (;;) {
            const std::size_t before = i;
            SkipSpace();
            if (i >= s.size()) {
                Error("unterminated start tag <" + name);
                return false;
            }
            if (s.compare(i, 2, "/>") == 0) {
                i += 2;
                return true;
            }
            if (s[i] == '>') {
                ++i;
                break;
            }
            if (i == before) {
                Error("expected space before an attribute");
                return false;
            }
            std::string attribute;
            if (!Name(attribute))
                return false;
            if (!attributes.insert(attribute).second) {
                Error("attribute " + attribute + " given twice");
                return false;
            }
            SkipSpace();
            if (i >= s.size() || s[i] != '=') {
                Error("expected '=' after " + attribute);
                return false;
            }
            ++i;
            SkipSpace();
            if (i >= s.size() || (s[i] != '"' && s[i] != '\'')) {
                Error("unquoted value of " + attribute);
                return false;
            }
            const char quote = s[i++];
            while (i < s.size() && s[i] != quote) {
                if (s[i] == '<') {
                    Error("'<' in the value of " + attribute);
                    return false;
                }
                if (s[i] == '&' ? !Reference() : !Char())
                    return false;
            }
            if (i >= s.size()) {
                Error("unterminated value of " + attribute);
                return false;
            }
            ++i;
        }
        // Content up to the matching end tag.
        for (;;) {
            if (i >= s.size()) {
                Error("missing </" + name + ">");
                return false;
            }
            if (s.compare(i, 2, "</") == 0) {
                i += 2;
                std::string closing;
                if (!Name(closing))
                    return false;
                SkipSpace();
                if (closing != name || i >= s.size() || s[i] != '>') {
                    Error("</" + closing + "> closes <" + name + ">");
                    return false;
                }
                ++i;
                return true;
            }
            if (s.compare(i, 4, "<!--") == 0) {
                if (!Comment())
                    return false;
            } else if (s[i] == '<') {
                if (!Element())
                    return false;
            } else if (s[i] == '&' ? !Reference() : !Char()) {
                return false;
            }
        }
    }

    const std::string& s;
    std::size_t i = 0;
    std::string error;
};

}  // namespace

std::string CheckWellFormed(const std::string& xml) {
    return Checker(xml).Run();
}

long DecodeXmlChar(const std::string& text, std::size_t at, std::size_t& length) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    long c = 0;
    if (lead < 0x80) {
        length = 1;
        c = lead;
    } else {
        length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (lead < 0xC2 || lead > 0xF4 || at + length > text.size())
            return kNotUtf8;
        c = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            if ((byte(k) & 0xC0) != 0x80)
                return kNotUtf8;
            c = (c << 6) | (byte(k) & 0x3F);
        }
        const long shortest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (c < shortest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return kNotUtf8;
    }
    const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                         (c >= 0xE000 && c <= 0xFFFD) || c >= 0x10000;
    return allowed ? c : kNotXml;
}

std::string CheckXmlChars(const std::string& text) {
    for (std::size_t at = 0, length = 0; at < text.size(); at += length) {
        const long c = DecodeXmlChar(text, at, length);
        if (c < 0)
            return std::string(c == kNotUtf8 ? "byte sequence that is not UTF-8"
                                             : "character XML does not allow") +
                   " at offset " + std::to_string(at);
    }
    return "";
}

}  // namespace replaytest
