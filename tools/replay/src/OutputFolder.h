#pragma once

// The folder a run writes its frames and page into. The tool lists what it writes there, with a
// fingerprint of each file's content, in illsxmk-replay-files.txt. A later run into the same
// folder deletes only the files that list names and that still hold what was written: a file
// someone else put there, or changed since, is never touched. A folder where a file the run would
// write is not the tool's own is refused before anything is written.
//
// The folder may be one that others can write to (a shared /tmp): the run keeps it open while it
// plays and makes every file anew (never opening one that is there, so never writing through a
// link or into someone else's file), and deletes names, never what a link points to.

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace replay {

// The list of the tool's own files in an output folder.
extern const char* const kOutputListName;

class OutputFolder {
public:
    explicit OutputFolder(std::filesystem::path dir) : folder(std::move(dir)) {}
    ~OutputFolder();
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Makes the folder ready for a run that writes the files named: creates it, checks that each
    // of those names is free or holds the tool's own file, takes away the files an earlier run
    // wrote and starts a new list. False, said on err, when the folder cannot be made or holds
    // files that are not the tool's; then nothing was changed in it.
    bool Prepare(const std::vector<std::string>& names, std::ostream& err);

    // Makes the file (its name must be free) and adds it to the list; false, with Error() saying
    // why, when either cannot be written or the name was taken since Prepare.
    bool Write(const std::string& name, const std::string& text);

    const std::filesystem::path& Path() const { return folder; }
    // The last failure of Write, one line naming the file.
    const std::string& Error() const { return error; }

private:
    // The files the list in the folder names, by name, with their fingerprints.
    bool ReadList(std::map<std::string, std::string>& listed, std::ostream& err) const;
    bool Owned(const std::string& name, const std::map<std::string, std::string>& listed) const;
    void Close();

    std::filesystem::path folder;
    int dirFd = -1;   // the folder, open while the run writes (POSIX)
    int listFd = -1;  // the list this run made
    std::string error;
};

}  // namespace replay
