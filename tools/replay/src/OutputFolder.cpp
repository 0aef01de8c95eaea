#include "OutputFolder.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace replay {

namespace fs = std::filesystem;

const char* const kOutputListName = "illsxmk-replay-files.txt";

namespace {

const char* const kListHeader =
    "# illsxmk-replay: the files its last run wrote into this folder (fingerprint, name);\n"
    "# the next run into the folder replaces them and leaves every other file alone.\n";
constexpr std::size_t kNamesShown = 3;

// The names a run writes: the page and the frames. A list that names anything else (edited by
// hand, or a path) is not followed.
bool OutputName(const std::string& name) {
    if (name == "index.html")
        return true;
    const std::string prefix = "frame-", suffix = ".svg";
    if (name.size() <= prefix.size() + suffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < name.size() - suffix.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// FNV-1a over the content: tells a file as written from one changed since (not a defence
// against someone forging a file).
std::string Fingerprint(const std::string& content) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const char c : content) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

bool ReadWhole(const fs::path& path, std::string& content) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// A plain file, not a link to one elsewhere.
bool PlainFile(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() == fs::file_type::regular;
}

bool Exists(const fs::path& path) {
    std::error_code ec;
    return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

}  // namespace

bool OutputFolder::ReadList(std::map<std::string, std::string>& listed, std::ostream& err) const {
    const fs::path list = folder / kOutputListName;
    if (!Exists(list))
        return true;
    std::string text;
    if (!PlainFile(list) || !ReadWhole(list, text) || text.rfind(kListHeader, 0) != 0) {
        err << "illsxmk-replay: " << folder.string() << " holds " << kOutputListName
            << ", which this tool did not write; nothing was written: move it away or choose "
               "another folder with --out\n";
        return false;
    }
    std::istringstream lines(text.substr(std::char_traits<char>::length(kListHeader)));
    std::string fingerprint, name;
    while (lines >> fingerprint >> name)
        if (OutputName(name))
            listed[name] = fingerprint;
    return true;
}

bool OutputFolder::Owned(const std::string& name,
                         const std::map<std::string, std::string>& listed) const {
    const auto it = listed.find(name);
    std::string content;
    return it != listed.end() && PlainFile(folder / name) && ReadWhole(folder / name, content) &&
           Fingerprint(content) == it->second;
}

bool OutputFolder::Prepare(const std::vector<std::string>& names, std::ostream& err) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        err << "illsxmk-replay: cannot create the output folder " << folder.string() << ": "
            << (ec ? ec.message() : "not a folder") << '\n';
        return false;
    }
    std::map<std::string, std::string> listed;
    if (!ReadList(listed, err))
        return false;

    std::vector<std::string> foreign;
    for (const std::string& name : names)
        if (Exists(folder / name) && !Owned(name, listed))
            foreign.push_back(name);
    if (!foreign.empty()) {
        err << "illsxmk-replay: " << folder.string() << " holds ";
        for (std::size_t i = 0; i < foreign.size() && i < kNamesShown; ++i)
            err << (i ? ", " : "") << foreign[i];
        if (foreign.size() > kNamesShown)
            err << " and " << (foreign.size() - kNamesShown) << " more";
        err << ", which this run would write but an earlier run did not (or which changed "
               "since); nothing was written: move them away or choose another folder with --out\n";
        return false;
    }

    // The earlier run's files go, also those this run will not write again (a longer session's
    // last frames), so that the page never shows frames of another session.
    for (const auto& [name, fingerprint] : listed)
        if (Owned(name, listed))
            fs::remove(folder / name, ec);
    std::ofstream list(folder / kOutputListName, std::ios::binary | std::ios::trunc);
    list << kListHeader;
    list.close();
    if (!list) {
        err << "illsxmk-replay: cannot write " << (folder / kOutputListName).string() << '\n';
        return false;
    }
    return true;
}

bool OutputFolder::Write(const std::string& name, const std::string& text) {
    std::ofstream file(folder / name, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        return false;
    std::ofstream list(folder / kOutputListName, std::ios::binary | std::ios::app);
    list << Fingerprint(text) << ' ' << name << '\n';
    list.close();
    return static_cast<bool>(list);
}

}  // namespace replay
