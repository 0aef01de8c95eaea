#pragma once

#include <cstddef>
#include <string>

namespace replaytest {

// A small XML well-formedness check (elements, attributes, character data, entities, comments,
// the declaration): empty when the text is well-formed, else what is wrong and where.
// Text is checked character by character: valid UTF-8, and only characters XML 1.0 allows (Char).
std::string CheckWellFormed(const std::string& xml);

// Every character of the text is valid UTF-8 and allowed in XML 1.0: empty, else what is wrong
// and where. For pages that are HTML rather than XML.
std::string CheckXmlChars(const std::string& text);

// The character at text[at] with its length in bytes; kNotUtf8 or kNotXml when it is not one
// that XML allows.
constexpr long kNotUtf8 = -1;
constexpr long kNotXml = -2;
long DecodeXmlChar(const std::string& text, std::size_t at, std::size_t& length);

}  // namespace replaytest
