#pragma once

// The folder a run writes its frames and page into. The tool lists what it writes there, with a
// fingerprint of each file's content, in illsxmk-replay-files.txt. A later run into the same
// folder deletes or overwrites only the files that list names and that still hold what was
// written: a file someone else put there, or changed since, is never touched. A folder where a
// file the run would write is not the tool's own is refused before anything is written.

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

    // Makes the folder ready for a run that writes the files named: creates it, checks that each
    // of those names is free or holds the tool's own file, takes away the files an earlier run
    // wrote and starts a new list. False, said on err, when the folder cannot be made or holds
    // files that are not the tool's; then nothing was changed in it.
    bool Prepare(const std::vector<std::string>& names, std::ostream& err);

    // Writes the file and adds it to the list; false when either cannot be written.
    bool Write(const std::string& name, const std::string& text);

    const std::filesystem::path& Path() const { return folder; }

private:
    // The files the list in the folder names, by name, with their fingerprints.
    bool ReadList(std::map<std::string, std::string>& listed, std::ostream& err) const;
    bool Owned(const std::string& name, const std::map<std::string, std::string>& listed) const;

    std::filesystem::path folder;
};

}  // namespace replay
