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

// The folder of the file a reader opened last, kept open for its next file: a reader that only
// reads (a preview) takes a tree's files folder by folder, and opening each file's folders anew
// would cost it more than the reading. The folders are walked as OpenInTree walks them, below the
// run's opened folder and without following any link; a folder kept stays the one that was
// walked, whatever is put under its name later, as a file's folder does for the file.
class TLastFolder {
 public:
  // The open folder that holds `path`, with the file's name in it in `name`; -1 where the walk
  // does not go (no opened run folder, a path outside it, a link on the way, an error): the
  // reader then takes OpenInTree's full way, which tells why.
  int FolderOf(const std::string& path, const TLinkRule& rule, std::string& name);

 private:
  std::shared_ptr<const TOpenedRoot> FRoot;
  std::string FPath;  // the folder's part of the last path
  TFd FFolder;
};

// True when the open folder `folder` is `root` or lies below it (walked up through "..", so
// paths of any length and any links on the way are judged by where the folder really is).
bool FolderInside(int folder, const struct stat& root);

// True when a link with the state `link` may lead to `target`: it is the runner's own, or the
// target belongs to the link's owner.
bool LinkMayLead(const struct stat& link, const struct stat& target);

}  // namespace fendrel
