// What the tasks of one file would do, found without writing anything: the counts and failures
// a run would report, and the lines it would change. The file is read and matched exactly as a
// run reads and matches it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ChangedLines.h"
#include "SnRTast.h"
#include "Utf16Text.h"
#include "platform/OpenInTree.h"

namespace fendrel {

struct TFilePreview {
  // Per task, in order: the number of replacements or the failure code the run would report.
  std::vector<int64_t> Results;
  // Why the first failing task would fail.
  std::string Reason;
  // The content holds a zero byte: its lines are no text.
  bool Binary = false;
  // The encoding the file was read in: the lines of a UTF-16 file are its decoded text, UTF-8.
  TTextEncoding Encoding = TTextEncoding::AsItIs;
  THunks Lines;
  // The changes the lines show, in order: one mark in the lines each.
  TChangeList Changes;
  // The content read, as ContentFingerprint tells it: a run of chosen changes makes them only
  // in this content.
  uint64_t Fingerprint = 0;

  // The replacements of all tasks together.
  int64_t Replacements() const;
  bool Failed() const;
};

// The tasks of one file, in the order a run takes them (the three passes of a multi-line run
// one after another, each on what the one before left). A reader that previews many files keeps
// their folders open in `folders`.
TFilePreview PreviewFile(const std::vector<const TSnRTast*>& tasks, const THunkOptions& options,
                         TLastFolder* folders = nullptr);

}  // namespace fendrel
