#include "WorkflowState.h"

#include "i18n/LanguageTable.h"

namespace fendrel {
namespace {

struct TStepTexts {
  const char* English;
  const char* German;
};

// The help list shows every ampersand as it stands, so the English line 7 names the button
// with the doubled ampersand of its caption.
constexpr TStepTexts kStepTexts[] = {
    {"please insert the path in which to search for the files in the path text field",
     "Bitte geben Sie den Pfad ein, in dem nach den Dateien gesucht werden soll."},
    {"please insert the name of the file - including wildcards (p.e. *.htm) in the filename "
     "field",
     "Bitte geben Sie den Dateinamen ein - einschließlich Suchmaske (z.B. *.htm)"},
    {"no files in the specified path with the specified filename found",
     "Im angegebenen Pfad wurden mit der Dateisuchmaske keine Dateien gefunden"},
    {"check any single file in the files list box that has to be processed",
     "Wählen Sie die Dateien aus, die bearbeitet werden sollen."},
    {"define the string to be search for in the \"old string\" field - as text or hex code "
     "input",
     "Definieren Sie den String, der ersetzt werden soll."},
    {"define the replacement string  in the \"new string\" field - as text or hex code input. "
     "An empty new string is correct, if you want to delete the \"Old String\" in the files",
     "Definieren Sie den String, der neu eingefügt werden soll. Falls der Ausgangsstring "
     "gelöscht werden soll, kann auch ein Leerstring korrekt sein."},
    {"press the \"Search&&Replace Strings in Selected Files\" to start the conversion",
     "\"Search&Replace durchführen\" drücken"},
};

}  // namespace

TWorkflowState DeriveWorkflowState(const TWorkflowInputs& in) {
  TWorkflowState state;
  // A value never set (-1) and an empty one alike leave the string undefined.
  const bool oldEmpty = in.OldStringSize <= 0;
  const bool newEmpty = in.NewStringSize <= 0;
  const bool listEmpty = in.FileCount == 0;
  state.StartEnabled = in.ScanFinished && in.CheckedCount > 0 && !oldEmpty;

  auto add = [&state](bool condition, TWorkflowStep step) {
    if (condition) state.OpenSteps.push_back(step);
  };
  add(in.PathEmpty && listEmpty, TWorkflowStep::PathMissing);
  add(in.MaskEmpty && listEmpty, TWorkflowStep::MaskMissing);
  add(!in.PathEmpty && !in.MaskEmpty && listEmpty && in.ScanFinished, TWorkflowStep::NoFilesFound);
  add(!listEmpty && in.CheckedCount == 0, TWorkflowStep::NoFileTicked);
  add(oldEmpty, TWorkflowStep::OldStringMissing);
  add(newEmpty, TWorkflowStep::NewStringMissing);
  add(state.StartEnabled, TWorkflowStep::ReadyToStart);
  return state;
}

std::string WorkflowStepText(TWorkflowStep step, int32_t language) {
  const TStepTexts& texts = kStepTexts[static_cast<int>(step) - 1];
  return language == kGerman ? texts.German : texts.English;
}

}  // namespace fendrel
