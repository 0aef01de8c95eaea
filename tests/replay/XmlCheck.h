#pragma once

#include <string>

namespace replaytest {

// A small XML well-formedness check (elements, attributes, character data, entities, comments,
// the declaration): empty when the text is well-formed, else what is wrong and where.
std::string CheckWellFormed(const std::string& xml);

}  // namespace replaytest
