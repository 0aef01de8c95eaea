#include "Frames.h"

#include "Utf8Text.h"
#include "WindowShapes.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace replay {

namespace {

constexpr double kCaptionHeight = 46.0;
// Beyond this many parts their names are not drawn: they would cover one another, and laying out
// thousands of texts is most of what opening such a scene costs a browser. The scene's
// description still names each part and where it lies.
constexpr std::size_t kPartsNamedUpTo = 500;

// A coordinate to two decimals, without trailing zeros, appended to out. Counted in whole
// hundredths where they fit 64 bits: printf's floating-point path is slow where long double is
// emulated (WebAssembly), and a scene writes a few numbers per edge.
void AppendNum(std::string& out, double v) {
    const double hundredths = std::isfinite(v) ? std::round(v * 100.0) : 0.0;
    if (std::fabs(hundredths) < 9e15) {
        const auto n = static_cast<long long>(hundredths);
        unsigned long long size =
            n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
        char digits[24];
        char* at = digits + sizeof digits;
        const unsigned long long cents = size % 100;
        if (cents != 0) {
            if (cents % 10 != 0)
                *--at = static_cast<char>('0' + cents % 10);
            *--at = static_cast<char>('0' + cents / 10);
            *--at = '.';
        }
        size /= 100;
        do {
            *--at = static_cast<char>('0' + size % 10);
            size /= 10;
        } while (size != 0);
        if (n < 0)
            *--at = '-';
        out.append(at, digits + sizeof digits);
        return;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", v);
    std::string s = buffer;
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    out += s;
}

std::string Num(double v) {
    std::string s;
    AppendNum(s, v);
    return s;
}

int Channel(float c) {
    if (!(c > 0.0f))
        return 0;
    return c >= 1.0f ? 255 : static_cast<int>(std::lround(c * 255.0f));
}

std::string Rgb(const dg::Color& c) {
    return "rgb(" + std::to_string(Channel(c.r)) + "," + std::to_string(Channel(c.g)) + "," +
           std::to_string(Channel(c.b)) + ")";
}

std::string Opacity(float a) {
    return Num(std::isfinite(a) ? std::clamp(static_cast<double>(a), 0.0, 1.0) : 1.0);
}

// Stroke of a node in the colour and weight of the render set it holds.
std::string Stroke(const sxmu::RenderAttrsVector* attrs, const char* fallback) {
    if (!attrs)
        return std::string(" stroke=\"") + fallback + "\" stroke-width=\"1\"";
    return " stroke=\"" + Rgb(attrs->color) + "\" stroke-opacity=\"" + Opacity(attrs->color.a) +
           "\" stroke-width=\"" + Num(std::max(1, attrs->weight)) + "\"";
}

std::string Fill(const attrs::FillAttr* fill, const char* fallback) {
    if (!fill)
        return std::string(" fill=\"") + fallback + "\"";
    return " fill=\"" + Rgb(fill->color) + "\" fill-opacity=\"" + Opacity(fill->color.a) + "\"";
}

void AppendPoint(std::string& out, const Point2& p) {
    AppendNum(out, p.x);
    out += ',';
    AppendNum(out, p.y);
}

std::string Points(const std::vector<Point2>& pts) {
    std::string out;
    for (const Point2& p : pts) {
        if (!out.empty())
            out += ' ';
        AppendPoint(out, p);
    }
    return out;
}

void Polyline(std::ostringstream& svg, const std::vector<std::vector<Point2>>& runs,
              const std::string& style) {
    for (const std::vector<Point2>& run : runs)
        if (run.size() >= 2)
            svg << "<polyline fill=\"none\" points=\"" << Points(run) << "\"" << style << "/>\n";
}

// Runs of segments as one path, a subpath each.
void Path(std::ostringstream& svg, const std::vector<std::vector<Point2>>& runs) {
    std::string data;
    for (const std::vector<Point2>& run : runs) {
        if (run.size() < 2)
            continue;
        for (std::size_t i = 0; i < run.size(); ++i) {
            data += i == 0 ? (data.empty() ? "M" : " M") : (i == 1 ? " L" : " ");
            AppendPoint(data, run[i]);
        }
    }
    if (!data.empty())
        svg << "<path d=\"" << data << "\"/>\n";
}

void Text(std::ostringstream& svg, double x, double y, const std::string& text,
          const std::string& style = "") {
    svg << "<text x=\"" << Num(x) << "\" y=\"" << Num(y) << "\"" << style << ">" << XmlEscape(text)
        << "</text>\n";
}

// The parts outlined, a path each with the style of all, and their names in one group: a scene
// of thousands of parts stays quick to load, and to draw, where a browser draws in tiles and
// passes over the paths that lie outside a tile.
void DrawParts(std::ostringstream& svg, const Projector& proj,
               const std::vector<PartEntry>& parts) {
    if (parts.empty())
        return;
    svg << "<g class=\"parts\" fill=\"none\" stroke=\"#6b7280\" stroke-width=\"1.2\">\n";
    std::vector<std::vector<Point2>> edges;
    for (const PartEntry& part : parts) {
        const dg::DPoint3D& lo = part.config.min;
        const dg::DPoint3D& hi = part.config.max;
        auto corner = [&](int i) {
            return dg::DPoint3D((i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y,
                                (i & 4) ? hi.z : lo.z);
        };
        edges.clear();
        for (int i = 0; i < 8; ++i)
            for (int bit = 1; bit < 8; bit <<= 1)
                if (!(i & bit))
                    for (std::vector<Point2>& run :
                         PolylineInWindow(proj, dg::Location(), {corner(i), corner(i | bit)}))
                        edges.push_back(std::move(run));
        Path(svg, edges);
    }
    svg << "</g>\n";
    if (parts.size() > kPartsNamedUpTo)
        return;
    svg << "<g class=\"part-names\" fill=\"#6b7280\" font-size=\"11\" text-anchor=\"middle\">\n";
    for (const PartEntry& part : parts) {
        const dg::DPoint3D& lo = part.config.min;
        const dg::DPoint3D& hi = part.config.max;
        const dg::DPoint3D centre((lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2);
        if (const auto at = proj.Project(centre))
            Text(svg, at->x, at->y, part.config.id);
    }
    svg << "</g>\n";
}

void DrawNote(std::ostringstream& svg, const NoteBox& box, const std::string& style) {
    svg << "<circle cx=\"" << Num(box.anchor.x) << "\" cy=\"" << Num(box.anchor.y)
        << "\" r=\"2.5\" fill=\"#374151\"/>\n";
    svg << "<rect x=\"" << Num(box.x) << "\" y=\"" << Num(box.y) << "\" width=\"" << Num(box.width)
        << "\" height=\"" << Num(box.height) << "\" rx=\"3\"" << style << "/>\n";
    const double top =
        box.y + (box.height - kNoteLineHeight * static_cast<double>(box.lines.size())) / 2;
    for (std::size_t i = 0; i < box.lines.size(); ++i)
        Text(svg, box.x + 6, top + kNoteLineHeight * (static_cast<double>(i) + 0.75), box.lines[i],
             " fill=\"#111827\"");
}

void DrawCenterLine(std::ostringstream& svg, const Projector& proj, const CenterLineEntry& entry,
                    std::size_t view) {
    const sxmu::ModelContainer* root = ReplayScene::RootOf(entry.shadows[view]);
    if (!root)
        return;
    const dg::Location& placement = entry.record->placement;
    svg << "<g class=\"centerline\" id=\"" << XmlEscape(entry.config.id) << "\">\n";
    // Lines under the arrows under the spheres, whatever the container's order.
    for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren())
        if (const auto* strip = dynamic_cast<const sxmu::ModelLineStrip*>(child.get())) {
            const auto runs = PolylineInWindow(proj, placement, strip->points);
            Polyline(svg, runs,
                     " stroke=\"#15803d\" stroke-width=\"1.6\" stroke-dasharray=\"14 4 3 4\"");
            if (!runs.empty() && !runs.front().empty())
                Text(svg, runs.front().front().x + 4, runs.front().front().y - 6, entry.config.id,
                     " fill=\"#15803d\" font-size=\"11\"");
        }
    for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren()) {
        const auto* arrow = dynamic_cast<const sxmu::ModelLeaderLine*>(child.get());
        if (!arrow)
            continue;
        const auto shape = ArrowInWindow(proj, placement, *arrow);
        if (!shape)
            continue;
        const sxmu::ModelArrowhead* head = arrow->arrowHead.get();
        if (shape->endOn) {
            svg << "<circle cx=\"" << Num(shape->base.x) << "\" cy=\"" << Num(shape->base.y)
                << "\" r=\"4\" fill=\"none\"" << Stroke(arrow->renderAttrs.get(), "#1e3a8a")
                << "/>\n";
            continue;
        }
        svg << "<line x1=\"" << Num(shape->base.x) << "\" y1=\"" << Num(shape->base.y) << "\" x2=\""
            << Num(shape->end.x) << "\" y2=\"" << Num(shape->end.y) << "\""
            << Stroke(arrow->renderAttrs.get(), "#1e3a8a") << "/>\n";
        svg << "<polygon points=\"" << Points({shape->headTip, shape->ringA, shape->ringB}) << "\""
            << Fill(head ? head->fillAttrs.get() : nullptr, "#1e3a8a")
            << Stroke(head ? head->renderAttrs.get() : nullptr, "#1e3a8a") << "/>\n";
    }
    for (const du::SmartPtr<sxmu::ModelBase>& child : root->GetChildren()) {
        const auto* sphere = dynamic_cast<const sxmu::ModelSphere*>(child.get());
        if (!sphere)
            continue;
        if (const auto shape = SphereInWindow(proj, placement, *sphere))
            svg << "<circle cx=\"" << Num(shape->centre.x) << "\" cy=\"" << Num(shape->centre.y)
                << "\" r=\"" << Num(std::max(2.0, shape->radius)) << "\""
                << Fill(sphere->fillAttrs.get(), "#1e3a8a")
                << Stroke(sphere->renderAttrs.get(), "#1e3a8a") << "/>\n";
    }
    svg << "</g>\n";
}

void DrawPointer(std::ostringstream& svg, const Pointer& p) {
    if (!p.known)
        return;
    if (p.dragging) {
        svg << "<line x1=\"" << p.startX << "\" y1=\"" << p.startY << "\" x2=\"" << p.x
            << "\" y2=\"" << p.y
            << "\" stroke=\"#9ca3af\" stroke-width=\"1\" stroke-dasharray=\"3 3\"/>\n";
        svg << "<circle cx=\"" << p.startX << "\" cy=\"" << p.startY
            << "\" r=\"3\" fill=\"none\" stroke=\"#9ca3af\"/>\n";
    }
    const double x = p.x, y = p.y;
    const std::vector<Point2> cursor{
        {x, y},          {x, y + 17},       {x + 4.5, y + 13}, {x + 8, y + 20}, {x + 10.5, y + 19},
        {x + 7, y + 12}, {x + 12.5, y + 12}};
    svg << "<polygon class=\"pointer\" points=\"" << Points(cursor) << "\" fill=\""
        << (p.pressed ? "#111827" : "#ffffff") << "\" stroke=\"#111827\" stroke-width=\"1\"/>\n";
}

// The size of a layer: the views side by side with a gap between them, the caption's strip
// underneath.
constexpr double kViewGap = 12.0;

struct LayerSize {
    double width = 0.0;
    double viewsHeight = 0.0;  // above the caption
};

LayerSize SizeOf(const ReplayScene& scene) {
    LayerSize size;
    for (const SceneView& v : scene.views) {
        size.width += (size.width > 0.0 ? kViewGap : 0.0) + v.projector.Camera().viewportWidth;
        size.viewsHeight = std::max<double>(size.viewsHeight, v.projector.Camera().viewportHeight);
    }
    return size;
}

// The opening of a layer's SVG document: both layers have the same size, so that one lies exactly
// over the other.
void OpenLayer(std::ostringstream& svg, const LayerSize& size) {
    const double height = size.viewsHeight + kCaptionHeight;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Num(size.width) << "\" height=\""
        << Num(height) << "\" viewBox=\"0 0 " << Num(size.width) << " " << Num(height)
        << "\" font-family=\"sans-serif\" font-size=\"12\">\n";
}

// Draws each view in its own window: one view directly, two side by side, each cut to its window.
template <typename Draw>
void EachView(std::ostringstream& svg, const ReplayScene& scene, Draw draw) {
    if (scene.views.size() == 1) {
        draw(std::size_t{0});
        return;
    }
    double x = 0.0;
    for (std::size_t v = 0; v < scene.views.size(); ++v) {
        const dg::Camera3D& camera = scene.views[v].projector.Camera();
        svg << "<svg class=\"view\" x=\"" << Num(x) << "\" width=\"" << Num(camera.viewportWidth)
            << "\" height=\"" << Num(camera.viewportHeight) << "\" overflow=\"hidden\">\n";
        draw(v);
        svg << "</svg>\n";
        x += camera.viewportWidth + kViewGap;
    }
}

const char* const kSceneImage = "<image class=\"scene\" ";

// The page's style sheet.
const char* const kIndexStyle =
    "body{font-family:sans-serif;margin:16px;background:#f3f4f6;color:#111827}\n"
    "h1{font-size:20px;margin:0 0 4px}\n.desc{color:#4b5563;margin:0 0 10px}\n"
    "#bar{display:flex;gap:6px;align-items:center;margin:8px 0}\n"
    "#bar button{font-size:14px;padding:3px 10px}\n#pos{min-width:90px}\n"
    "#main{display:flex;gap:16px;align-items:flex-start}\n"
    "#view{display:grid;border:1px solid #9ca3af;background:#fff;max-width:62vw}\n"
    "#view img{grid-area:1/1;max-width:100%}\n"
    "#log{background:#111827;color:#e5e7eb;padding:10px;font-size:12px;"
    "white-space:pre-wrap;min-width:280px;max-width:36vw;margin:0}\n"
    "#steps{font-size:12px;margin-top:12px;columns:2}\n#steps li{cursor:pointer}\n"
    "#steps li.on{font-weight:bold}\n.failed{color:#b91c1c}\n"
    "#summary{font-size:13px;margin:0;padding-left:18px}\n";

// The page's script after the frames: stepping with the buttons, the slider, the list and the
// arrow keys.
const char* const kIndexScript =
    "let at = 0;\nconst steps = document.querySelectorAll('#steps li');\n"
    "function show(i) {\n  at = Math.max(0, Math.min(frames.length - 1, i));\n"
    "  const f = frames[at];\n  if (!f) return;\n"
    "  document.getElementById('frame').src = f.file;\n"
    "  document.getElementById('log').textContent = [f.title].concat(f.lines).join('\\n');\n"
    "  document.getElementById('pos').textContent = at + ' / ' + (frames.length - 1);\n"
    "  document.getElementById('slider').value = at;\n"
    "  steps.forEach((li, k) => li.classList.toggle('on', k === at));\n}\n"
    "document.getElementById('first').onclick = () => show(0);\n"
    "document.getElementById('prev').onclick = () => show(at - 1);\n"
    "document.getElementById('next').onclick = () => show(at + 1);\n"
    "document.getElementById('last').onclick = () => show(frames.length - 1);\n"
    "document.getElementById('slider').oninput = e => show(+e.target.value);\n"
    "steps.forEach((li, k) => li.onclick = () => show(k));\n"
    "document.addEventListener('keydown', e => {\n"
    "  if (e.key === 'ArrowRight') show(at + 1);\n"
    "  if (e.key === 'ArrowLeft') show(at - 1);\n});\n"
    "// index.html#12 opens at frame 12.\n"
    "show(parseInt(location.hash.slice(1), 10) || 0);\n";

// The frames with their log lines, for the page's script. The texts are those the frames show:
// what is not UTF-8 replaced, what XML cannot carry dropped. No '<' may reach the script as such
// ("</script>", "<!--"): inside JSON strings it is written as an escape.
std::string FramesJson(const std::vector<FrameEntry>& frames) {
    nlohmann::json data = nlohmann::json::array();
    for (const FrameEntry& f : frames) {
        std::vector<std::string> lines;
        lines.reserve(f.lines.size());
        for (const std::string& line : f.lines)
            lines.push_back(XmlChars(line));
        data.push_back({{"file", XmlChars(f.file)},
                        {"title", XmlChars(f.title)},
                        {"lines", lines},
                        {"failed", f.failed}});
    }
    const std::string dumped = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string json;
    json.reserve(dumped.size());
    for (char c : dumped)
        json += c == '<' ? std::string("\\u003c") : std::string(1, c);
    return json;
}

}  // namespace

std::string XmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : XmlChars(text)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string RenderScene(const SessionView& session) {
    const ReplayScene& scene = session.scene;
    std::ostringstream svg;
    OpenLayer(svg, SizeOf(scene));
    EachView(svg, scene, [&](std::size_t v) {
        const Projector& proj = scene.views[v].projector;
        svg << "<rect width=\"" << Num(proj.Camera().viewportWidth) << "\" height=\""
            << Num(proj.Camera().viewportHeight) << "\" fill=\"#fafaf7\" stroke=\"#d1d5db\"/>\n";
        DrawParts(svg, proj, scene.parts);
        for (const LabelEntry& label : scene.labels)
            if (const auto box = LabelBox(proj, label))
                DrawNote(svg, *box, " fill=\"#ffffff\" fill-opacity=\"0.9\" stroke=\"#4b5563\"");
    });
    svg << "</svg>\n";
    return svg.str();
}

std::string RenderFrame(const SessionView& session, const std::string& caption,
                        const std::string& sceneFile) {
    const ReplayScene& scene = session.scene;
    const LayerSize size = SizeOf(scene);
    const double width = size.width;
    const double height = size.viewsHeight;
    std::ostringstream svg;
    OpenLayer(svg, size);
    if (!sceneFile.empty())
        svg << kSceneImage << "href=\"" << XmlEscape(sceneFile) << "\" width=\"" << Num(width)
            << "\" height=\"" << Num(height + kCaptionHeight) << "\"/>\n";
    EachView(svg, scene, [&](std::size_t v) {
        const Projector& proj = scene.views[v].projector;
        for (const CenterLineEntry& line : scene.centerLines)
            DrawCenterLine(svg, proj, line, v);
        for (const CalloutEntry& callout : scene.callouts) {
            const sxmu::ModelNoteDragger* dragger =
                ReplayScene::DraggerOf(callout.shadows[v].get());
            // While dragged, the label stays where it is (dashed) and the dragger shows where it
            // goes.
            if (dragger && dragger->dragDisplacement != dg::DVec3::ZERO && callout.label->note)
                if (const auto home = NoteBoxInWindow(
                        proj, callout.label->placement, *callout.label->note,
                        dragger->titleNote.get(), dragger->descriptionNote.get(), dg::DVec3::ZERO))
                    DrawNote(svg, *home,
                             " fill=\"none\" stroke=\"#9ca3af\" stroke-dasharray=\"4 3\"");
            if (const auto box = CalloutBox(proj, callout, v))
                DrawNote(svg, *box, " fill=\"#fff7ed\" stroke=\"#c2410c\" stroke-width=\"1.5\"");
        }
        if (const sxk::ShapeView* shapeView = scene.views[v].shapeView)
            for (const sxk::ShapeView::PendingPick& pick : shapeView->pendingPicks)
                svg << "<circle cx=\"" << pick.x << "\" cy=\"" << pick.y
                    << "\" r=\"9\" fill=\"none\" stroke=\"#f59e0b\" stroke-width=\"2\" "
                       "stroke-dasharray=\"4 2\"/>\n";
        if (session.pointer.view == v)
            DrawPointer(svg, session.pointer);
    });

    svg << "<rect y=\"" << Num(height) << "\" width=\"" << Num(width) << "\" height=\""
        << Num(kCaptionHeight) << "\" fill=\"#1f2937\"/>\n";
    Text(svg, 10, height + 18, session.scenario.name, " fill=\"#9ca3af\" font-size=\"11\"");
    Text(svg, 10, height + 36, caption, " fill=\"#f9fafb\" font-size=\"13\"");
    svg << "</svg>\n";
    return svg.str();
}

std::string WholePicture(const std::string& scene, const std::string& frame) {
    const std::size_t image = frame.find(kSceneImage);
    const std::size_t open = scene.find("<svg ");
    const std::size_t close = scene.rfind("</svg>");
    if (image == std::string::npos || open == std::string::npos || close == std::string::npos)
        return frame;
    const std::size_t bodyStart = scene.find('\n', open) + 1;
    const std::size_t imageEnd = frame.find('\n', image);
    if (bodyStart == 0 || bodyStart > close || imageEnd == std::string::npos)
        return frame;
    return frame.substr(0, image) + scene.substr(bodyStart, close - bodyStart) +
           frame.substr(imageEnd + 1);
}

std::string RenderIndex(const std::string& title, const std::string& description,
                        const std::string& sceneFile, const std::vector<FrameEntry>& frames,
                        const std::vector<std::string>& summary) {
    std::ostringstream html;
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
         << XmlEscape(title) << " - illsxmk-replay</title>\n<style>\n"
         << kIndexStyle << "</style>\n</head>\n<body>\n";
    html << "<h1>" << XmlEscape(title) << "</h1>\n";
    if (!description.empty())
        html << "<p class=\"desc\">" << XmlEscape(description) << "</p>\n";
    html << "<ul id=\"summary\">\n";
    for (const std::string& line : summary)
        html << "<li>" << XmlEscape(line) << "</li>\n";
    html << "</ul>\n";
    html << "<div id=\"bar\"><button id=\"first\">|&lt;</button><button id=\"prev\">&lt;</button>"
         << "<button id=\"next\">&gt;</button><button id=\"last\">&gt;|</button>"
         << "<input id=\"slider\" type=\"range\" min=\"0\" max=\""
         << (frames.empty() ? 0 : frames.size() - 1) << "\" value=\"0\">"
         << "<span id=\"pos\"></span></div>\n";
    // The frame (transparent but for what changes) lies over the scene, drawn once.
    html << "<div id=\"main\"><div id=\"view\"><img id=\"scene\" alt=\"\" src=\""
         << XmlEscape(sceneFile) << "\"><img id=\"frame\" alt=\"frame\" src=\""
         << (frames.empty() ? "" : XmlEscape(frames.front().file)) << "\"></div>"
         << "<pre id=\"log\"></pre></div>\n<ol id=\"steps\" start=\"0\">\n";
    for (const FrameEntry& f : frames)
        html << "<li" << (f.failed ? " class=\"failed\"" : "") << ">" << XmlEscape(f.title)
             << "</li>\n";
    html << "</ol>\n<script>\nconst frames = " << FramesJson(frames) << ";\n"
         << kIndexScript << "</script>\n</body>\n</html>\n";
    return html.str();
}

}  // namespace replay
