// Opening a file of a run inside the folder the run works on, so that no symbolic link, planted
// before the run or swapped in during it, leads the run to a file outside that folder.
//
// Below the run's folder each folder is opened relative to the one before it without following
// a link, and the file's own name is looked at without following it either; every later open
// of the file is relative to the folder handle this gives. A link is followed only when the run
// asks for it, and then only when it leads to a place inside the run's folder and is the
// runner's own or leads to a file or folder of the link's owner: the rule that keeps a run by
// root from being steered by another user's links.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "Fd.h"

namespace fendrel {

// The folder a run works on, opened once when the run is built: each file of the run is then
// opened below this very folder, whatever is put under its name while the run goes on, and the
// folder's path is not looked up again for every file.
struct TOpenedRoot {
  TFd Fd;
  struct stat State {};
};

struct TLinkRule {
  // The folder the run works on, as its files' paths begin; empty, or a folder that does not
  // hold the path: only the file's own name is guarded.
  std::string Root;
  // Links to files and folders inside Root are followed.
  bool Follow = false;
  // Root opened (OpenRoot), or null: it is then opened for each file.
  std::shared_ptr<const TOpenedRoot> Opened = nullptr;
};

// `root` opened for a run's link rule; null when it cannot be opened (each file then fails as
// the open of its folder does).
std::shared_ptr<const TOpenedRoot> OpenRoot(const std::string& root);

struct TTreeFile {
  TFd Folder;        // the folder the file lies in
  std::string Name;  // the file's name in Folder
  std::string Path;  // the path as given, or where a followed link leads
  // The file a followed link led to (device and inode); st_ino 0 when no link was followed.
  struct stat LinkTarget {};
};

// How an open went: the errno of a failed step, or why a link was not followed ("is a symbolic
// link" and the like).
struct TTreeOpen {
  int Error = 0;
  const char* Refused = nullptr;
  bool Ok() const { return Error == 0 && Refused == nullptr; }
};

// Opens the folder of `path` into `file`. With Error ENOENT for the file's own name, Folder and
// Name are set all the same, so that a missing file can be made again in its folder.
TTreeOpen OpenInTree(const std::string& path, const TLinkRule& rule, TTreeFile& file);

// True when the open folder `folder` is `root` or lies below it (walked up through "..", so
// paths of any length and any links on the way are judged by where the folder really is).
bool FolderInside(int folder, const struct stat& root);

// True when a link with the state `link` may lead to `target`: it is the runner's own, or the
// target belongs to the link's owner.
bool LinkMayLead(const struct stat& link, const struct stat& target);

}  // namespace fendrel
