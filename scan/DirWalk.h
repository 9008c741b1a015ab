// The one directory walk behind the file list (TDirStringList::ReadDirectory) and the background
// scanner (TScanDirThread), so both list the same entries in the same order.
//
// Order: a directory's subdirectories are walked first, in the order the system enumerates them,
// then its own matching entries are delivered (post-order). Only real directories are descended,
// and links to folders only when asked, inside the start folder and never in a loop. Each entry is
// delivered as the directory's full path + "/" + name, so the root gives "//name"; the scanner
// collapses that, the file list keeps it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/InPlaceRecovery.h"

namespace fendrel {

// The folders in which version-control systems keep their own records: a run over them could
// corrupt a repository, so a user may leave them out of a walk by name.
inline const std::vector<std::string> kVcsFolderNames = {".git", ".hg", ".svn"};

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

// Walks `dir` (resolved by FullStartPath when the walk starts) and calls `found` for every entry
// whose name matches `mask` and whose attribute word passes `attributes`, through all
// subdirectories when `recursive`. `stopRequested`, when given, is asked before each directory is
// entered; once it says yes no further directory is entered, but the directories already being
// walked still deliver their own entries on the way back. An entry whose name matches one of the
// `excluded` masks (matched as `mask` is) is neither delivered nor, if a directory, entered; the
// start directory itself is always walked. A start directory that cannot be entered delivers
// nothing; a subdirectory that cannot be entered is skipped. The process's current directory is
// neither changed nor consulted after the start. Exceptions thrown by `found` pass through. With
// `followLinks`, a link to a folder is entered (after the folder's real subdirectories) when the
// folder lies inside the start folder, is not one the walk is already in, and the link is the
// runner's own or the folder is the link's owner's. With `recovered`, every folder that holds
// the record of an interrupted rewrite in place is recovered (InPlaceRecovery.h) before its
// entries are delivered, and `recovered` is told what was done.
void WalkDirectory(std::string_view dir, std::string_view mask, uint32_t attributes, bool recursive,
                   const TDirWalkFound& found, const TDirWalkStop& stopRequested = {},
                   const std::vector<std::string>& excluded = {}, bool followLinks = false,
                   const TDirWalkRecovered& recovered = {});

}  // namespace fendrel
