#pragma once

// Text as the outputs may carry it: valid UTF-8, and for the frames and the page only the
// characters XML 1.0 allows.

#include <string>

namespace replay {

// The text with every byte sequence that is not valid UTF-8 replaced by U+FFFD (one for each
// maximal ill-formed part, as browsers read it): an encoded surrogate, an overlong form, a cut
// or stray sequence, a byte that starts none.
std::string ValidUtf8(const std::string& text);

// ValidUtf8, without the characters that XML 1.0 cannot carry (outside Char: the control
// characters other than tab, line feed and carriage return, U+FFFE and U+FFFF).
std::string XmlChars(const std::string& text);

// ValidUtf8, with the control characters (C0 including tab and line breaks, DEL, C1) written as
// escapes as in JSON ("\u001b"): text from a scenario that goes to a terminal, in the log and in
// messages, stays on its line and cannot drive the terminal.
std::string Printable(const std::string& text);

}  // namespace replay
