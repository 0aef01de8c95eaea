#include "Utf8Text.h"

#include <cstddef>
#include <cstdio>

namespace replay {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character at text[at], or U+FFFD for the ill-formed part there; at moves past what was
// read. The ranges of the second byte are those that keep out overlong forms, surrogates and
// code points beyond U+10FFFF.
char32_t Next(const std::string& text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at++);
    if (lead < 0x80)
        return lead;
    std::size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lo = lead == 0xE0 ? 0xA0 : 0x80;
        hi = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lo = lead == 0xF0 ? 0x90 : 0x80;
        hi = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return kReplacement;
    }
    auto c = static_cast<char32_t>(lead & (0x7F >> length));
    for (std::size_t k = 1; k < length; ++k) {
        if (at >= text.size() || byte(at) < lo || byte(at) > hi)
            return kReplacement;  // the part read so far stands for one character
        c = (c << 6) | static_cast<char32_t>(byte(at++) & 0x3F);
        lo = 0x80;
        hi = 0xBF;
    }
    return c;
}

bool XmlAllows(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

template <typename Keep>
std::string Rewrite(const std::string& text, Keep keep) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = Next(text, at);
        if (keep(c))
            Append(out, c);
    }
    return out;
}

}  // namespace

std::string ValidUtf8(const std::string& text) {
    return Rewrite(text, [](char32_t) { return true; });
}

std::string XmlChars(const std::string& text) {
    return Rewrite(text, XmlAllows);
}

std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = Next(text, at);
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            // "\\u" and four digits, with room to spare: the compiler cannot see that c < 0xA0.
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            Append(out, c);
        }
    }
    return out;
}

}  // namespace replay
