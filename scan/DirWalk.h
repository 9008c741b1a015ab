// The one directory walk behind the file list (TDirStringList::ReadDirectory) and the background
// scanner (TScanDirThread), so both list the same entries in the same order.
//
// Order: a directory's subdirectories are walked first, in the order the system enumerates them,
// then its own matching entries are delivered (post-order). Only real directories are descended,
// and links to folders only when asked, inside the start folder and never in a loop. Each entry is
// delivered as the directory's full path + "/" + name, so the root gives "//name"; the scanner
// collapses that, the file list keeps it.
//
// What is left out: the program's own files always; the version-control folders unless asked to
// include them; names the caller excludes; with the ignore files honoured, what they ignore.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/InPlaceRecovery.h"

namespace fendrel {

// The folders in which version-control systems keep their own records: a run over them could
// corrupt a repository, so a walk leaves entries of these names out unless asked to include them.
inline const std::vector<std::string> kVcsFolderNames = {".git", ".hg",    ".svn",
                                                         ".bzr", "_darcs", "CVS"};

// `dir` in full form: taken relative to `cwd` unless it begins with '/', "." segments dropped,
// each ".." removing the segment before it, no trailing '/' except for the root "/". Links are
// not resolved, so the delivered paths read the way the user wrote the start directory.
std::string LexicalFullPath(std::string_view dir, std::string_view cwd);

// `dir` in full form against the process's current directory of this moment (empty `dir`: that
// directory itself). Empty when the current directory cannot be read.
std::string FullStartPath(std::string_view dir);

using TDirWalkFound = std::function<void(const std::string& path)>;
using TDirWalkStop = std::function<bool()>;
// Told what was done about the interrupted rewrites in place recorded in a folder.
using TDirWalkRecovered = std::function<void(std::vector<TRecovery> recoveries)>;
// Told of a folder the walk meant to read and could not: its path as entries are delivered, and
// the errno of the failure.
using TDirWalkUnreadable = std::function<void(const std::string& path, int error)>;
struct TUnreadableFolder {
  std::string Path;
  int Error = 0;
};

// Why a GLOB cannot name entries to leave out (TWalkOptions::Excluded). Such a GLOB would
// silently exclude nothing, and the user would take the listing for a filtered one; every front
// end refuses it.
enum class TExcludeFault {
  None,
  Empty,       // names nothing
  HoldsSlash,  // a path: it is matched against names, which hold no '/'
};
TExcludeFault ExcludeGlobFault(std::string_view glob);

// What a walk leaves out and where it may go, beyond its mask and attribute filter.
struct TWalkOptions {
  // Asked before each directory is entered; once it says yes no further directory is entered,
  // but the directories already being walked still deliver their own entries on the way back.
  TDirWalkStop StopRequested;
  // An entry whose name matches one of these masks (matched as the walk's mask is: '*', '?',
  // several apart by ';' or in braces) is neither delivered nor, if a directory, entered.
  std::vector<std::string> Excluded;
  // Entries named as in kVcsFolderNames are delivered and entered like any other; without it
  // they are left out as the excluded ones are.
  bool IncludeVcsFolders = false;
  // Entries the ignore files of the work tree say to ignore (IgnoreRules.h) are left out as the
  // excluded ones are; an ignored folder is not entered at all.
  bool HonourIgnoreFiles = false;
  // A link to a folder is entered (after the folder's real subdirectories) when the folder lies
  // inside the start folder, is not one the walk is already in, and the link is the runner's own
  // or the folder is the link's owner's.
  bool FollowLinks = false;
  // When given, every folder that holds the record of an interrupted rewrite in place is
  // recovered (InPlaceRecovery.h) before its entries are delivered, and this is told what was
  // done.
  TDirWalkRecovered Recovered;
  // When given, told of every folder the walk could not open or read to its end (no access, a
  // read error; not one that vanished meanwhile or a link it refuses): the walk goes on without
  // what that folder holds, and a user must not take the shorter list for the whole.
  TDirWalkUnreadable Unreadable;
};

// Where a test makes a folder unreadable, which a folder's mode cannot do when the test runs as
// root. The programs never set it.
struct TWalkHooks {
  // Asked with a folder's path before the walk opens it: an errno fails the open with that error,
  // 0 lets it go ahead. Set before a walk starts, cleared after it has ended.
  std::function<int(const std::string& path)> OpenError;
};
TWalkHooks& WalkHooks();

// Walks `dir` (resolved by FullStartPath when the walk starts) and calls `found` for every entry
// whose name matches `mask` and whose attribute word passes `attributes`, through all
// subdirectories when `recursive`, leaving out what `options` say. The start directory itself is
// always walked, whatever its name. A start directory that cannot be entered delivers nothing; a
// subdirectory that cannot be entered is skipped; either is told to `options.Unreadable`. The
// process's current directory is neither changed nor consulted after the start. Exceptions thrown
// by `found` pass through.
void WalkDirectory(std::string_view dir, std::string_view mask, uint32_t attributes, bool recursive,
                   const TDirWalkFound& found, const TWalkOptions& options = {});

}  // namespace fendrel
