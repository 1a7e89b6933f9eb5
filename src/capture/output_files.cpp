#include "capture/output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace capture {

namespace {

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& base) {
  const size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : base.substr(dot);
}

bool MakeFolders(const std::string& folder, std::vector<std::string>* created, std::string* error) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    *error = folder + ": not a folder";
    return false;
  }
  if (errno != ENOENT) {
    *error = folder + ": " + std::strerror(errno);
    return false;
  }
  const std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent, created, error)) return false;
  if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
    *error = folder + ": cannot create the folder: " + std::strerror(errno);
    return false;
  }
  created->push_back(folder);
  return true;
}

}  // namespace

std::string FolderOf(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return trimmed.substr(0, slash);
}

std::string TemporaryPathFor(const std::string& path) {
  const std::string base = BaseOf(path);
  const std::string folder = FolderOf(path);
  return (folder == "/" ? "" : folder) + "/." + base + "." + std::to_string(getpid()) + ".partial" +
         ExtensionOf(base);
}

bool PrepareFolder(const std::string& folder, std::vector<std::string>* created,
                   std::string* error) {
  if (!MakeFolders(folder, created, error)) return false;
  const std::string probe = TemporaryPathFor(folder + "/probe");
  std::FILE* file = std::fopen(probe.c_str(), "wb");
  if (!file) {
    *error = folder + ": cannot write there: " + std::strerror(errno);
    return false;
  }
  std::fclose(file);
  std::remove(probe.c_str());
  return true;
}

bool OutputLedger::Commit(const std::string& temporary, const std::string& path,
                          std::string* error) {
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = path + ": cannot put the file in place: " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  committed.push_back(path);
  return true;
}

int OutputLedger::RemoveAll(std::vector<std::string>* left) {
  int removed = 0;
  for (const std::string& path : committed) {
    if (std::remove(path.c_str()) == 0) {
      ++removed;
    } else {
      left->push_back(path);
    }
  }
  committed.clear();
  // Deepest first: they were recorded from the outside in.
  for (auto it = createdFolders.rbegin(); it != createdFolders.rend(); ++it) rmdir(it->c_str());
  createdFolders.clear();
  return removed;
}

}  // namespace capture
