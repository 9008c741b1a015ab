// The ignore files a walk honours, kept as a stack that follows the walk down and up the tree,
// so each entry is judged by exactly the files that apply to its folder.
//
// Which files apply:
// - A work tree is a folder holding a ".git" (folder or file) and everything below it. The one
//   holding the start folder is found by looking upwards from it (links resolved).
// - Inside a work tree: its ".git/info/exclude" (patterns below the work tree's root), and the
//   ".gitignore" and ".ignore" files of every folder from the work tree's root down to the entry,
//   those between the root and the start folder included.
// - Outside one: the ".ignore" files of the start folder and the folders below it; ".gitignore"
//   files mean nothing there.
// - A folder below the start that holds a ".git" begins a work tree of its own: the files above
//   it no longer apply to what lies inside, and its own info/exclude does.
//
// Precedence, the last word winning: info/exclude, then the folders from the shallowest to the
// deepest, and in each folder ".gitignore" before ".ignore"; within a file, later lines over
// earlier ones. A folder that is ignored is never entered, so nothing below it can be
// re-included. The start folder itself is always walked, whatever the files above it say.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "IgnorePattern.h"

namespace fendrel {

class TIgnoreRules {
 public:
  // The names of a folder's listing these rules care about, noted while the walk reads it.
  struct TSeen {
    bool GitIgnore = false;
    bool Ignore = false;
    bool Git = false;
  };
  static void Note(const char* name, TSeen& seen);

  // The rules that reach the folder `start` (a full path) from above it; none when it cannot
  // be resolved.
  explicit TIgnoreRules(const std::string& start);

  // The walk has read the folder it is in, open as `folderFd`: the ignore files `seen` there
  // join the rules for its entries and everything below. `isStart` for the start folder, whose
  // work tree the constructor found already.
  void ReadFolder(int folderFd, const TSeen& seen, bool isStart);
  // The walk goes into the subfolder `name` of the folder it is in, and back out of it again;
  // going out drops the rules the subfolder brought.
  void Enter(std::string_view name);
  void Leave();

  // Whether the entry `name` of the folder the walk is in is ignored.
  bool Ignored(std::string_view name, bool isFolder);
  // No rule applies where the walk is: nothing is ignored.
  bool Empty() const { return FFrames.empty(); }

 private:
  // The rules one folder brings.
  struct TFrame {
    std::size_t FolderLength;             // FRelative's length while in that folder
    bool StartsWorkTree;                  // the rules of frames below this one stop here
    std::vector<TIgnorePattern> Exclude;  // info/exclude of the work tree this frame starts
    std::vector<TIgnorePattern> GitIgnore;
    std::vector<TIgnorePattern> Ignore;
  };

  // Reads the ignore files asked for of the folder `folderFd`, whose path below the outermost
  // frame's folder is FRelative's first `folderLength` characters, into a new frame; a frame is
  // kept only when it holds rules or begins a work tree.
  void PushFrame(int folderFd, std::size_t folderLength, bool gitIgnore, bool ignore,
                 bool startsWorkTree);
  bool InWorkTree() const;

  std::vector<TFrame> FFrames;
  // The path of the folder the walk is in, below the outermost frame's folder ("" there).
  std::string FRelative;
  bool FStartInWorkTree = false;
  std::string FCandidate;  // FRelative + "/" + the name being judged; kept for its buffer
};

}  // namespace fendrel
