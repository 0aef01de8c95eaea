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

// The view is drawn in two layers of one size, so that what no action changes is drawn once
// however many steps are shown: the scene (the window's ground, parts and labels outlined), and a
// frame per step over it (the centre lines as drawn with their handles in the colours of the
// appearance sets they hold, the callouts, pending picks, the pointer, the caption underneath).
std::string RenderScene(const SessionView& session);

// The frame refers to its scene by sceneFile when one is given: an <image> that a browser shows
// when the frame is opened on its own (shown as an <img>, the frame loads nothing; the page puts
// the scene under it).
std::string RenderFrame(const SessionView& session, const std::string& caption,
                        const std::string& sceneFile = "");

// One picture of both layers: the frame with its reference to the scene replaced by the scene's
// drawing (the pictures of the documentation).
std::string WholePicture(const std::string& scene, const std::string& frame);

struct FrameEntry {
    std::string file;   // "frame-003.svg"
    std::string title;  // the step's headline
    std::vector<std::string> lines;
    bool failed = false;  // a check of this step failed
};

// The page that steps through the frames, each shown over the scene.
std::string RenderIndex(const std::string& title, const std::string& description,
                        const std::string& sceneFile, const std::vector<FrameEntry>& frames,
                        const std::vector<std::string>& summary);

}  // namespace replay
