#pragma once

// Pictures of the view: one SVG per step, drawn as the camera sees the scene, and the page that
// steps through them with their log lines.

#include "SessionView.h"

#include <string>
#include <vector>

namespace replay {

// Text made safe for XML character data and attribute values: what is not valid UTF-8 becomes
// U+FFFD, characters XML 1.0 cannot carry (control characters, U+FFFE, U+FFFF) are dropped.
std::string XmlEscape(const std::string& text);

// The view after the step: parts and labels outlined, the centre lines as drawn with their
// handles in the colours of the appearance sets they hold, the callouts, the pointer; the caption
// goes underneath.
std::string RenderFrame(const SessionView& session, const std::string& caption);

struct FrameEntry {
    std::string file;   // "frame-003.svg"
    std::string title;  // the step's headline
    std::vector<std::string> lines;
    bool failed = false;  // a check of this step failed
};

std::string RenderIndex(const std::string& title, const std::string& description,
                        const std::vector<FrameEntry>& frames,
                        const std::vector<std::string>& summary);

}  // namespace replay
