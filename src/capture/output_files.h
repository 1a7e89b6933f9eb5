// Files a recording writes: each one goes to a temporary name in its own
// folder and is renamed into place only when it is complete, and the ledger
// remembers what this run put in place so a failed run can take it back.
#pragma once

#include <string>
#include <vector>

namespace capture {

// A hidden name beside `path`, unique to this process, keeping the extension
// (ffmpeg picks its container from it).
std::string TemporaryPathFor(const std::string& path);

// Makes the folder (and missing parents) if needed and proves it writable by
// creating and removing a file there. `created` gets the folders it made,
// outermost first. On failure, one line in `error`.
bool PrepareFolder(const std::string& folder, std::vector<std::string>* created,
                   std::string* error);

// The folder part of a file path ("." for a bare name).
std::string FolderOf(const std::string& path);

class OutputLedger {
 public:
  // Renames a finished temporary file to its final name.
  bool Commit(const std::string& temporary, const std::string& path, std::string* error);
  // Folders this run created, outermost first; removed on RemoveAll if they
  // are empty by then.
  void AddCreatedFolders(const std::vector<std::string>& folders) {
    createdFolders.insert(createdFolders.end(), folders.begin(), folders.end());
  }
  // Removes every file this run put in place, and the folders it made.
  // Returns the number of files removed; `left` lists what could not be.
  int RemoveAll(std::vector<std::string>* left);
  size_t Committed() const { return committed.size(); }

 private:
  std::vector<std::string> committed;
  std::vector<std::string> createdFolders;
};

}  // namespace capture
