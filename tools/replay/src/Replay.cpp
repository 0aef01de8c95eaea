#include "Replay.h"

#include "Frames.h"
#include "OutputFolder.h"
#include "Session.h"
#include "Utf8Text.h"

#include <du/RefCounted.h>
#include <sxk/MemoryPoolAllocated.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace replay {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kProgressAbove = 40;
constexpr std::size_t kProgressEvery = 20;

const char* const kUsage =
    "usage: illsxmk-replay [SCENARIO.json] [--out DIR] [--max-output MIB]\n"
    "       illsxmk-replay --print-default\n"
    "Plays a scripted viewer session through the markup library and the host stand-in, prints\n"
    "what happened step by step and writes one SVG per step plus index.html into DIR\n"
    "(default replay-out), at most MIB mebibytes in all (default 100). Without a scenario it\n"
    "plays the built-in default session.\n"
    "Exit status: 0 ok, 1 an expectation failed, 2 bad input, 3 output could not be written.\n";

// The drawing of what no action changes, which every frame is shown over.
const char* const kSceneFile = "scene.svg";

std::string FrameFile(std::size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%03zu.svg", index);
    return name;
}

class Output {
public:
    Output(std::ostream& o, ReplayResult& r) : out(o), result(r) {}
    // The scenario's text in a line (notes, comments, ids) may hold control characters: they are
    // written as escapes, so that a line stays one line and cannot drive the terminal.
    void Line(const std::string& text) {
        const std::string line = Printable(text);
        out << line << '\n';
        result.log.push_back(line);
    }

private:
    std::ostream& out;
    ReplayResult& result;
};

// What a run of the scenario writes: a frame for the scene as set up and one per action, and the
// page.
std::vector<std::string> OutputNames(const Scenario& scenario) {
    std::vector<std::string> names{kSceneFile};
    for (std::size_t i = 0; i <= scenario.actions.size(); ++i)
        names.push_back(FrameFile(i));
    names.emplace_back("index.html");
    return names;
}

// The frames of a run, written as they come (when files are written at all), and the page.
class FrameWriter {
public:
    FrameWriter(const ReplayOptions& o, OutputFolder& f, ReplayResult& r, std::ostream& e)
        : options(o), folder(f), result(r), err(e) {}

    void AddScene(const Session& session) {
        if (Writing())
            Write(kSceneFile, session.SceneLayer());
    }
    void Add(const Session& session, FrameEntry entry, const std::string& caption) {
        entry.file = FrameFile(frames.size());
        if (Writing() && Write(entry.file, session.Frame(caption, kSceneFile)))
            ++result.framesWritten;
        frames.push_back(std::move(entry));
    }
    void WriteIndex(const Scenario& scenario, const std::vector<std::string>& summary) {
        if (Writing())
            Write("index.html",
                  RenderIndex(scenario.name.empty() ? "illsxmk-replay" : scenario.name,
                              scenario.description, kSceneFile, frames, summary));
    }
    std::size_t Count() const { return frames.size(); }
    bool Failed() const { return failed; }

private:
    const ReplayOptions& options;
    OutputFolder& folder;
    ReplayResult& result;
    std::ostream& err;
    std::vector<FrameEntry> frames;
    bool failed = false;
    bool overLimit = false;
    std::uint64_t written = 0;

    // Files are written, and none went past the limit yet (nothing is drawn for a file that will
    // not be written).
    bool Writing() const { return options.writeFiles && !overLimit; }

    // Within the limit on the run's output; past it, nothing more is written.
    bool Write(const std::string& name, const std::string& text) {
        if (text.size() > options.maxOutputBytes - written) {
            overLimit = true;
            failed = true;
            err << "illsxmk-replay: " << Printable(name) << " would take the output over "
                << (options.maxOutputBytes >> 20)
                << " MiB; nothing more is written (--max-output MIB raises the limit)\n";
            return false;
        }
        if (!folder.Write(name, text)) {
            Fail();
            return false;
        }
        written += text.size();
        return true;
    }

    // The first failure is said (a folder that fails once likely fails for every frame).
    void Fail() {
        if (!failed)
            err << "illsxmk-replay: " << folder.Error() << '\n';
        failed = true;
    }
};

// Frame 0: the scene as set up, with where everything lies in the window.
void ShowScene(const Session& session, Output& log, FrameWriter& frames) {
    FrameEntry initial;
    initial.title = "[0] the scene as set up";
    frames.AddScene(session);
    for (const std::string& line : session.Describe()) {
        log.Line("    " + line);
        initial.lines.push_back(line);
    }
    frames.Add(session, initial, initial.title);
}

// Each action with its log lines and its frame; a failed check is also said on err, and a long
// session says how far it has come.
void PlayActions(Session& session, std::size_t count, Output& log, FrameWriter& frames,
                 std::ostream& err, ReplayResult& result) {
    for (std::size_t i = 0; i < count; ++i) {
        ActionLog step = session.Play(i);
        log.Line(step.headline);
        for (const std::string& line : step.details)
            log.Line("    " + line);
        result.checksPassed += step.checksPassed;
        result.checksFailed += step.checksFailed;
        if (step.checksFailed > 0)
            err << "illsxmk-replay: actions[" << i << "] (" << Printable(step.headline)
                << "): an expectation failed\n";
        FrameEntry entry;
        entry.title = step.headline;
        entry.lines = step.details;
        entry.failed = step.checksFailed > 0;
        frames.Add(session, entry, step.headline);
        if (count > kProgressAbove && ((i + 1) % kProgressEvery == 0 || i + 1 == count))
            err << "illsxmk-replay: " << (i + 1) << "/" << count << " actions\n";
    }
}

// Plays the whole scenario; answers the summary's first lines. The note on picks never
// completed comes first, as a line of the log.
std::vector<std::string> PlayScenario(const Scenario& scenario, Output& log, FrameWriter& frames,
                                      std::ostream& err, ReplayResult& result) {
    Session session(scenario);
    log.Line("scenario: " + (scenario.name.empty() ? std::string("(unnamed)") : scenario.name));
    ShowScene(session, log, frames);
    const std::size_t count = scenario.actions.size();
    PlayActions(session, count, log, frames, err, result);
    std::vector<std::string> sessionSummary = session.Summary();
    if (!sessionSummary.empty() && sessionSummary.front().rfind("note: ", 0) == 0) {
        log.Line(sessionSummary.front());
        sessionSummary.erase(sessionSummary.begin());
    }
    std::vector<std::string> summary{std::to_string(count) + " actions played, " +
                                     std::to_string(frames.Count()) + " frames"};
    summary.insert(summary.end(), sessionSummary.begin(), sessionSummary.end());
    return summary;
}

// The checks, and what the session left of the host's objects.
void SummarizeChecksAndHost(std::vector<std::string>& summary, const ReplayResult& result) {
    summary.push_back("checks: " + std::to_string(result.checksPassed) + " passed, " +
                      std::to_string(result.checksFailed) + " failed");
    if (result.objectsLeftAlive != 0 || result.poolBlocksLeft != 0)
        summary.push_back("warning: " + std::to_string(result.objectsLeftAlive) +
                          " host objects and " + std::to_string(result.poolBlocksLeft) +
                          " pool blocks still alive after the session");
    else
        summary.push_back("every host object was released after the session");
}

// The text of the scenario file, or of the default session when no file is named; false, said on
// err, when the file cannot be read.
bool ScenarioText(const std::string& path, std::string& text, std::ostream& err) {
    if (path.empty()) {
        text = DefaultScenarioText();
        return true;
    }
    std::ifstream file(path, std::ios::binary);
    std::error_code ec;
    if (!file || fs::is_directory(path, ec)) {
        err << "illsxmk-replay: cannot read " << Printable(path) << '\n';
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// The largest --max-output: a limit in bytes that still fits 64 bits, with room to spare.
constexpr std::uint64_t kMaxOutputMiB = std::uint64_t{1} << 40;

bool ParseMiB(const std::string& text, std::uint64_t& bytes) {
    if (text.empty() || text.size() > 13 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const std::uint64_t mib = std::stoull(text);
    if (mib < 1 || mib > kMaxOutputMiB)
        return false;
    bytes = mib << 20;
    return true;
}

}  // namespace

ReplayResult ReplayScenario(const Scenario& scenario, const ReplayOptions& options,
                            std::ostream& out, std::ostream& err) {
    ReplayResult result;
    Output log(out, result);
    const fs::path dir(options.outDir);
    OutputFolder folder(dir);
    if (options.writeFiles && !folder.Prepare(OutputNames(scenario), err)) {
        result.status = kExitNoOutput;
        return result;
    }

    const long objectsBefore = du::RefCounted::LiveObjects();
    const long blocksBefore = static_cast<long>(sxk::MemoryPoolAllocated::LiveBlocks());
    FrameWriter frames(options, folder, result, err);
    std::vector<std::string> summary;
    try {
        summary = PlayScenario(scenario, log, frames, err, result);
    } catch (const std::exception& e) {
        err << "illsxmk-replay: the replay stopped: " << Printable(e.what()) << '\n';
        result.status = kExitNoOutput;
        return result;
    }
    result.objectsLeftAlive = du::RefCounted::LiveObjects() - objectsBefore;
    result.poolBlocksLeft =
        static_cast<long>(sxk::MemoryPoolAllocated::LiveBlocks()) - blocksBefore;
    SummarizeChecksAndHost(summary, result);
    if (result.checksFailed > 0)
        result.status = kExitCheckFailed;

    if (options.writeFiles) {
        frames.WriteIndex(scenario, summary);
        if (frames.Failed()) {
            err << "illsxmk-replay: could not write every file into " << Printable(dir.string())
                << '\n';
            result.status = kExitNoOutput;
        }
    }
    log.Line("summary:");
    for (const std::string& line : summary)
        log.Line("    " + line);
    if (options.writeFiles)
        log.Line("    frames and index.html in " + dir.string() + "/ (open " +
                 (dir / "index.html").string() + ")");
    log.Line(result.status == kExitOk ? "result: ok"
                                      : "result: exit status " + std::to_string(result.status));
    return result;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ReplayOptions options;
    std::string scenarioPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return kExitOk;
        }
        if (arg == "--print-default") {
            out << DefaultScenarioText();
            return kExitOk;
        }
        if (arg == "--out" || arg.rfind("--out=", 0) == 0) {
            if (arg == "--out" && i + 1 >= args.size()) {
                err << "illsxmk-replay: --out needs a folder\n" << kUsage;
                return kExitBadInput;
            }
            options.outDir = arg == "--out" ? args[++i] : arg.substr(6);
            if (options.outDir.empty()) {
                err << "illsxmk-replay: --out needs a folder\n";
                return kExitBadInput;
            }
            continue;
        }
        if (arg == "--max-output" || arg.rfind("--max-output=", 0) == 0) {
            const bool joined = arg != "--max-output";
            if (!joined && i + 1 >= args.size()) {
                err << "illsxmk-replay: --max-output needs a number of MiB\n" << kUsage;
                return kExitBadInput;
            }
            const std::string value = joined ? arg.substr(13) : args[++i];
            if (!ParseMiB(value, options.maxOutputBytes)) {
                err << "illsxmk-replay: --max-output takes a whole number of MiB from 1 to "
                    << kMaxOutputMiB << ", not " << Printable(value) << '\n';
                return kExitBadInput;
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            err << "illsxmk-replay: unknown option " << Printable(arg) << "\n" << kUsage;
            return kExitBadInput;
        }
        // An empty argument names no file; it is not a way to ask for the default session.
        if (arg.empty()) {
            err << "illsxmk-replay: the scenario argument is empty (leave it out to play the "
                   "default session)\n";
            return kExitBadInput;
        }
        if (!scenarioPath.empty()) {
            err << "illsxmk-replay: one scenario at a time (" << Printable(scenarioPath) << ", "
                << Printable(arg) << ")\n";
            return kExitBadInput;
        }
        scenarioPath = arg;
    }

    std::string text;
    if (!ScenarioText(scenarioPath, text, err))
        return kExitBadInput;
    // Everything is checked before anything is written.
    const ParseOutcome parsed = ParseScenario(text);
    if (!parsed.scenario) {
        err << "illsxmk-replay: "
            << (scenarioPath.empty() ? "the default session" : Printable(scenarioPath)) << ": "
            << parsed.error << '\n';
        return kExitBadInput;
    }
    return ReplayScenario(*parsed.scenario, options, out, err).status;
}

}  // namespace replay
