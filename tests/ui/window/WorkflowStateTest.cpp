// The guided workflow: which help lines stand for a state of the inputs, and when the start
// button may be pressed.
#include <gtest/gtest.h>

#include "ui/window/WorkflowState.h"

namespace fendrel {
namespace {

using S = TWorkflowStep;

TEST(WorkflowState, OpenStepsAndStartButtonForEachState) {
  struct TCase {
    const char* Name;
    TWorkflowInputs Inputs;
    std::vector<S> Steps;
    bool Start;
  };
  // Inputs: path empty, mask empty, files, ticked, scan over, multi line, old size, new size.
  const TCase cases[] = {
      {"fresh start",
       {true, true, 0, 0, true, false, -1, -1},
       {S::PathMissing, S::MaskMissing, S::OldStringMissing, S::NewStringMissing},
       false},
      {"scan running, nothing found yet", {false, false, 0, 0, false, false, 1, 1}, {}, false},
      {"scan over, nothing found",
       {false, false, 0, 0, true, false, 1, 1},
       {S::NoFilesFound},
       false},
      {"files listed, none ticked, no strings",
       {false, false, 3, 0, true, false, -1, -1},
       {S::NoFileTicked, S::OldStringMissing, S::NewStringMissing},
       false},
      {"ticked, old set, new empty",
       {false, false, 3, 1, true, false, 2, 0},
       {S::NewStringMissing, S::ReadyToStart},
       true},
      {"ticked but scan still running", {false, false, 3, 1, false, false, 2, 2}, {}, false},
      {"old string set to empty",
       {false, false, 3, 1, true, false, 0, 2},
       {S::OldStringMissing},
       false},
      {"multi line, five lines each",
       {false, false, 3, 2, true, true, 5, 5},
       {S::ReadyToStart},
       true},
      {"multi line, old memo empty",
       {false, false, 3, 2, true, true, 0, 5},
       {S::OldStringMissing},
       false},
      {"path typed, mask empty, list empty",
       {false, true, 0, 0, true, false, 1, 1},
       {S::MaskMissing},
       false},
      {"path cleared but list still filled",
       {true, true, 2, 0, true, false, 1, 1},
       {S::NoFileTicked},
       false},
      {"ticked, pattern does not compile",
       {false, false, 3, 1, true, false, 2, 0, true},
       {S::PatternInvalid, S::NewStringMissing},
       false},
  };
  for (const TCase& c : cases) {
    const TWorkflowState state = DeriveWorkflowState(c.Inputs);
    EXPECT_EQ(state.OpenSteps, c.Steps) << c.Name;
    EXPECT_EQ(state.StartEnabled, c.Start) << c.Name;
  }
}

TEST(WorkflowState, LinesAreGermanOnlyForLanguageZero) {
  struct TCase {
    S Step;
    int32_t Language;
    std::string Text;
  };
  const TCase cases[] = {
      {S::MaskMissing, 0,
       "Bitte geben Sie den Dateinamen ein - einschließlich Suchmaske (z.B. *.htm)"},
      {S::ReadyToStart, 0, "\"Search&Replace durchführen\" drücken"},
      {S::ReadyToStart, 1,
       "press the \"Search&&Replace Strings in Selected Files\" to start the conversion"},
      {S::ReadyToStart, -1,
       "press the \"Search&&Replace Strings in Selected Files\" to start the conversion"},
      {S::NewStringMissing, 1,
       "define the replacement string  in the \"new string\" field - as text or hex code "
       "input. An empty new string is correct, if you want to delete the \"Old String\" in the "
       "files"},
      {S::NoFileTicked, 0, "Wählen Sie die Dateien aus, die bearbeitet werden sollen."},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(WorkflowStepText(c.Step, c.Language), c.Text);
}

}  // namespace
}  // namespace fendrel
