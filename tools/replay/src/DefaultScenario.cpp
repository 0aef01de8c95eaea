// The session played when no scenario is given: every handle of a straight and of an along-axis
// centre line under the pointer, an end point dropped on a part, a jog dragged past the end, a
// negative extension, a preference colour change, and a callout drag undone and redone.
#include "Scenario.h"

namespace replay {

namespace {

const char* const kDefaultScenario = R"json({
  "name": "default session",
  "description": "A straight centre line (cl1) and an along-axis one (cl2) over two parts, a label and a callout. Each handle is highlighted in turn, the preselection colour changes, cl1's end point is dropped on the bracket, cl2's jog is dragged past its end, cl1's start extension is dragged inwards to a negative length, and the callout is dragged, undone and redone.",
  "view": {
    "kind": "shape",
    "viewport": [800, 600],
    "camera": {"eye": [4, 3, 20], "target": [4, 1, 0], "up": [0, 1, 0], "fieldOfView": 45}
  },
  "scene": {
    "minCalloutSize": "medium",
    "parts": [
      {"id": "base", "min": [-1, -2.5, -1], "max": [10, -1.5, 1], "instance": "/asm/base",
       "sbom": "/sbom/base"},
      {"id": "bracket", "min": [8, -1.5, -1], "max": [10, 1.5, 1], "instance": "/asm/bracket"}
    ],
    "labels": [{"id": "datum", "note": "Datum A", "position": [-3, 4, 0]}],
    "callouts": [{"id": "c1", "note": "12", "title": "Item", "description": "Bolt M8",
                  "position": [-3, 6, 0]}]
  },
  "markups": [
    {"id": "cl1", "start": [0, 0, 0], "end": [6, 0, 0], "startExtension": 1,
     "endExtension": 1, "partID": "/asm/base"},
    {"id": "cl2", "path": "alongAxis", "start": [1, 3, 0], "end": [9, 5, 0],
     "startExtension": 1, "endExtension": 1, "ratio": 0.5, "axisOrder": [0, 1, 2]}
  ],
  "preferences": {"preselectionColor": null},
  "actions": [
    {"action": "hover", "x": 209, "y": 348, "comment": "cl1's start-point sphere under the pointer"},
    {"action": "hover", "x": 140, "y": 348, "comment": "cl1's start-extension arrow"},
    {"action": "hover", "x": 496, "y": 348, "comment": "cl1's end-point sphere"},
    {"action": "hover", "x": 575, "y": 348, "comment": "cl1's end-extension arrow"},
    {"action": "expect", "markup": "cl1", "highlighted": "endExtension",
     "shown": ["startPoint", "endPoint", "startExtension", "endExtension"]},
    {"action": "preferences", "preselectionColor": 16744448,
     "comment": "The viewer's preselection colour becomes orange; it shows from the next highlight"},
    {"action": "hover", "x": 254, "y": 203, "comment": "cl2's start-point sphere, now in orange"},
    {"action": "hover", "x": 185, "y": 203, "comment": "cl2's start-extension arrow"},
    {"action": "hover", "x": 645, "y": 105, "comment": "cl2's end-point sphere"},
    {"action": "hover", "x": 715, "y": 105, "comment": "cl2's end-extension arrow"},
    {"action": "hover", "x": 428, "y": 105, "comment": "cl2's jog arrow"},
    {"action": "expect", "markup": "cl2", "highlighted": "jog",
     "shown": ["startPoint", "endPoint", "startExtension", "endExtension", "jog"]},
    {"action": "press", "x": 496, "y": 348,
     "comment": "Grab cl1's end point: its extension collapses for the drag"},
    {"action": "move", "x": 560, "y": 350},
    {"action": "move", "x": 625, "y": 345},
    {"action": "release", "comment": "Released over the bracket: the shadow asks for a pick"},
    {"action": "pick", "comment": "The pick finds the bracket first: the end point lands on it"},
    {"action": "expect", "markup": "cl1", "endPoint": [8.46982, 0.201578, 1], "tolerance": 1e-4,
     "endExtension": 0, "endPointItem": "instance:/asm/bracket", "lastOperation": "Move End Point"},
    {"action": "press", "x": 428, "y": 105, "comment": "Grab cl2's jog arrow"},
    {"action": "move", "x": 560, "y": 105},
    {"action": "move", "x": 700, "y": 105,
     "comment": "Past the end point: the ratio exceeds 1 and the extended end is reflected"},
    {"action": "release"},
    {"action": "expect", "markup": "cl2", "ratio": 1.19366, "tolerance": 1e-3,
     "lastOperation": "Move Jog"},
    {"action": "press", "x": 140, "y": 348, "comment": "Grab cl1's start-extension arrow"},
    {"action": "move", "x": 230, "y": 348,
     "comment": "Inwards past the start point: the extension turns negative"},
    {"action": "release"},
    {"action": "expect", "markup": "cl1", "startExtension": -0.978666, "tolerance": 1e-3,
     "startPoint": [0, 0, 0], "lastOperation": "Move Extension"},
    {"action": "press", "x": 80, "y": 55, "comment": "Grab the callout"},
    {"action": "move", "x": 120, "y": 80},
    {"action": "move", "x": 160, "y": 100},
    {"action": "release"},
    {"action": "expect", "markup": "c1", "position": [-1.3761, 5.09109, 0.0908912],
     "tolerance": 1e-3, "lastOperation": "Move Callout"},
    {"action": "undo", "comment": "The callout goes back"},
    {"action": "expect", "markup": "c1", "position": [-3, 6, 0], "redo": ["Move Callout"]},
    {"action": "redo", "comment": "And comes again"},
    {"action": "expect", "markup": "c1", "position": [-1.3761, 5.09109, 0.0908912],
     "tolerance": 1e-3,
     "operations": ["Move End Point", "Move Jog", "Move Extension", "Move Callout"],
     "undo": ["Move End Point", "Move Jog", "Move Extension", "Move Callout"], "redo": []}
  ]
})json";

}  // namespace

const std::string& DefaultScenarioText() {
    static const std::string text = kDefaultScenario;
    return text;
}

}  // namespace replay
