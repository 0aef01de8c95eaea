#include "OutputFolder.h"

#include "Utf8Text.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

// The names a run writes: the page, the scene and the frames. A list that names anything else
// (edited by hand, or a path) is not followed.
bool OutputName(const std::string& name) {
    if (name == "index.html" || name == "scene.svg")
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

// The folder's entries by name. On POSIX through the folder's descriptor, so that the folder
// cannot be swapped under the run, and without following a link in the last step; elsewhere by
// path (the tool is built for Linux; this keeps it compiling).
enum class Entry { None, Plain, Other };

#ifndef _WIN32
Entry EntryAt(int dir, const fs::path&, const std::string& name) {
    struct stat st {};
    if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Entry::None : Entry::Other;
    return S_ISREG(st.st_mode) ? Entry::Plain : Entry::Other;
}

// The content of a plain file; false for a link, a folder, a pipe (opened without waiting for a
// writer) or what cannot be read.
bool ReadPlain(int dir, const fs::path&, const std::string& name, std::string& content) {
    const int fd = openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    content.clear();
    char buffer[1 << 16];
    while (ok) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n > 0)
            content.append(buffer, static_cast<std::size_t>(n));
        else
            ok = errno == EINTR;
    }
    close(fd);
    return ok;
}

// A new file, or -1 (errno set) when the name is taken, by a file or a link.
int CreateNew(int dir, const fs::path&, const std::string& name) {
    return openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool RemoveName(int dir, const fs::path&, const std::string& name) {
    return unlinkat(dir, name.c_str(), 0) == 0 || errno == ENOENT;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

int OpenFolder(const fs::path& folder) {
    return open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int CloseFile(int fd) {
    return close(fd);
}
#else
Entry EntryAt(int, const fs::path& folder, const std::string& name) {
    std::error_code ec;
    const fs::file_type type = fs::symlink_status(folder / name, ec).type();
    if (type == fs::file_type::not_found)
        return Entry::None;
    return !ec && type == fs::file_type::regular ? Entry::Plain : Entry::Other;
}

bool ReadPlain(int dir, const fs::path& folder, const std::string& name, std::string& content) {
    if (EntryAt(dir, folder, name) != Entry::Plain)
        return false;
    std::ifstream file(folder / name, std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return file.is_open() && !file.bad();
}

int CreateNew(int, const fs::path& folder, const std::string& name) {
    return _wopen((folder / name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                  _S_IREAD | _S_IWRITE);
}

bool RemoveName(int, const fs::path& folder, const std::string& name) {
    std::error_code ec;
    fs::remove(folder / name, ec);
    return !ec;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const std::size_t chunk = std::min<std::size_t>(text.size() - done, 1u << 30);
        const int n = _write(fd, text.data() + done, static_cast<unsigned int>(chunk));
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

int OpenFolder(const fs::path&) {
    return 0;
}

int CloseFile(int fd) {
    return _close(fd);
}
#endif

// A path as messages say it: its control characters written as escapes, so that a folder named
// by a stranger cannot drive the terminal.
std::string Shown(const fs::path& path) {
    return Printable(path.string());
}

std::string ErrnoText(int code) {
    return std::error_code(code, std::generic_category()).message();
}

}  // namespace

OutputFolder::~OutputFolder() {
    Close();
}

void OutputFolder::Close() {
#ifndef _WIN32
    if (dirFd >= 0)
        close(dirFd);
#endif
    if (listFd >= 0)
        CloseFile(listFd);
    dirFd = listFd = -1;
}

bool OutputFolder::ReadList(std::map<std::string, std::string>& listed, std::ostream& err) const {
    if (EntryAt(dirFd, folder, kOutputListName) == Entry::None)
        return true;
    std::string text;
    if (!ReadPlain(dirFd, folder, kOutputListName, text) || text.rfind(kListHeader, 0) != 0) {
        err << "illsxmk-replay: " << Shown(folder) << " holds " << kOutputListName
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
    return it != listed.end() && ReadPlain(dirFd, folder, name, content) &&
           Fingerprint(content) == it->second;
}

bool OutputFolder::Prepare(const std::vector<std::string>& names, std::ostream& err) {
    Close();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!ec && !fs::is_directory(folder, ec))
        ec = std::make_error_code(std::errc::not_a_directory);
    if (!ec && (dirFd = OpenFolder(folder)) < 0)
        ec = std::error_code(errno, std::generic_category());
    if (ec) {
        err << "illsxmk-replay: cannot create the output folder " << Shown(folder) << ": "
            << ec.message() << '\n';
        return false;
    }
    std::map<std::string, std::string> listed;
    if (!ReadList(listed, err))
        return false;

    std::vector<std::string> foreign;
    for (const std::string& name : names)
        if (EntryAt(dirFd, folder, name) != Entry::None && !Owned(name, listed))
            foreign.push_back(name);
    if (!foreign.empty()) {
        err << "illsxmk-replay: " << Shown(folder) << " holds ";
        for (std::size_t i = 0; i < foreign.size() && i < kNamesShown; ++i)
            err << (i ? ", " : "") << foreign[i];
        if (foreign.size() > kNamesShown)
            err << " and " << (foreign.size() - kNamesShown) << " more";
        err << ", which this run would write but an earlier run did not (or which changed "
               "since); nothing was written: move them away or choose another folder with --out\n";
        return false;
    }

    // The earlier run's files go, also those this run will not write again (a longer session's
    // last frames), so that the page never shows frames of another session; then its list. The
    // new list is a file made anew, written through its own descriptor while the run plays.
    for (const auto& [name, fingerprint] : listed)
        if (Owned(name, listed))
            RemoveName(dirFd, folder, name);
    const bool ok = RemoveName(dirFd, folder, kOutputListName) &&
                    (listFd = CreateNew(dirFd, folder, kOutputListName)) >= 0 &&
                    WriteAll(listFd, kListHeader);
    if (!ok) {
        err << "illsxmk-replay: cannot write " << Shown(folder / kOutputListName) << ": "
            << ErrnoText(errno) << '\n';
        return false;
    }
    return true;
}

bool OutputFolder::Write(const std::string& name, const std::string& text) {
    const int fd = listFd < 0 ? -1 : CreateNew(dirFd, folder, name);
    if (fd < 0) {
        const int code = listFd < 0 ? EBADF : errno;
        error = "cannot write " + name + " into " + Shown(folder) + ": " + ErrnoText(code) +
                (code == EEXIST ? " (put there while the run played; it was left as it is)" : "");
        return false;
    }
    const bool written = WriteAll(fd, text);
    const int code = errno;
    if (CloseFile(fd) != 0 || !written) {
        error = "cannot write " + name + " into " + Shown(folder) + ": " +
                ErrnoText(written ? errno : code);
        return false;
    }
    if (!WriteAll(listFd, Fingerprint(text) + ' ' + name + '\n')) {
        error = "cannot add " + name + " to " + Shown(folder / kOutputListName) + ": " +
                ErrnoText(errno);
        return false;
    }
    return true;
}

}  // namespace replay
