// The guided workflow: which of the three steps of a run (find files, define the strings,
// start) are still open, and whether the start button may be pressed. Derived afresh from the
// inputs every time, so it keeps no state and can be checked without any window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fendrel {

// The help lines, in the order they are tested and shown.
enum class TWorkflowStep {
  PathMissing = 1,
  MaskMissing,
  NoFilesFound,
  NoFileTicked,
  OldStringMissing,
  PatternInvalid,
  NewStringMissing,
  ReadyToStart,
};

struct TWorkflowInputs {
  bool PathEmpty = true;
  bool MaskEmpty = true;
  int FileCount = 0;
  int CheckedCount = 0;
  // The current scan is over (no scan at all counts as over).
  bool ScanFinished = true;
  bool MultiLine = false;
  // Single line: the editor's byte length (-1 for a value never set). Multi line: the memo's
  // number of lines.
  int32_t OldStringSize = -1;
  int32_t NewStringSize = -1;
  // The old string is a regular expression that does not compile: a run would fail every file.
  bool PatternInvalid = false;
};

struct TWorkflowState {
  bool StartEnabled = false;
  std::vector<TWorkflowStep> OpenSteps;
};

TWorkflowState DeriveWorkflowState(const TWorkflowInputs& inputs);

// The help line of a step in UTF-8, from the catalogue: German for language 0, the language
// file's line or English for -1, English for every other language.
std::string WorkflowStepText(TWorkflowStep step, int32_t language);

}  // namespace fendrel
