// The changes the tasks of one file make, found in memory: what a preview shows, and the ground
// of a run that makes only the changes a user chose from it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ChangeList.h"
#include "SnRTast.h"
#include "Utf16Text.h"
#include "platform/ByteSink.h"

namespace fendrel {

struct TTaskChanges {
  // Per task, in order: the number of replacements or the failure code.
  std::vector<int64_t> Results;
  // Why the first failing task failed.
  std::string Reason;
  // What all tasks together change in the content.
  TChangeList Changes;
  // Lines touched by changes beyond the line limit, not in Changes (see TChangeSink).
  uint64_t LinesNotKept = 0;
  bool Failed() const;
};

// The tasks one after another, each on what the one before left (the three passes of a
// multi-line run), over `content`: a UTF-16 file's decoded text when `encoding` says so. With a
// line limit, the changes of a single task are kept only until they fill that many lines; with
// `countOnly` the last task's changes are only counted. `damaged` tells that the content was
// not the file's when it was read, which fails the task that read it.
TTaskChanges ChangesOfTasks(std::string_view content, TTextEncoding encoding,
                            const std::vector<const TSnRTast*>& tasks, uint64_t lineLimit,
                            bool countOnly, const std::function<bool()>& damaged);

// A fingerprint of a file's content: equal for equal content, and different for different
// content but by a chance no user meets.
uint64_t ContentFingerprint(std::string_view content);

// The changes a user chose in a preview of one file. The run of the file is then one task that
// holds them (TSnRTast::Chosen): it finds the changes of the tasks anew and makes the ticked
// ones, as long as they are still the ones shown.
struct TChosenChanges {
  // The tasks the preview ran on the file, in order.
  std::vector<TSnRTast> Tasks;
  // The changes the preview showed, in order, and whether each stays ticked. Changes beyond the
  // lines shown could not be unticked: they are made.
  TChangeList Shown;
  std::vector<bool> Ticked;
  // The content the preview read (ContentFingerprint).
  uint64_t Fingerprint = 0;
};

// Writes the new content of the file read into [begin, end) with only the chosen changes of
// `chosen` made, in the file's encoding. Returns the replacements made, or -3 with the reason in
// `why`: also when the file is no longer the one previewed.
int64_t WriteChosenChanges(TByteSink& out, const char* begin, const char* end,
                           const TChosenChanges& chosen, std::string& why);

}  // namespace fendrel
