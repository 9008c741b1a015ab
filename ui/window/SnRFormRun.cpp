// Queueing a run from the ticked files and the strings, and the guided workflow state that
// decides when the start button may be pressed.
#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <optional>

#include "InstantHelpForm.h"
#include "SnRForm.h"
#include "WindowStatusSink.h"
#include "engine/RunBuilder.h"
#include "records/RunJournal.h"
#include "ui/editors/ByteMemo.h"
#include "ui/editors/MultiLineEditors.h"
#include "ui/editors/SearchOptionBoxes.h"
#include "ui/editors/UiText.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/FileSelection.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/PreviewPage.h"
#include "ui/records/ResultListBox.h"

namespace fendrel {

int TSnRForm::CountCheckedFiles() const {
  return FFileSelection->CountCheckedFiles();
}

void TSnRForm::UpdateWorkflowState() {
  TWorkflowInputs inputs;
  inputs.PathEmpty = FFileSelection->PathEmpty();
  inputs.MaskEmpty = FFileSelection->MaskEmpty();
  inputs.FileCount = FFileSelection->FileCount();
  inputs.CheckedCount = CountCheckedFiles();
  inputs.ScanFinished = FFileSelection->ScanFinished();
  inputs.MultiLine = FPageControlLineMode->currentWidget() == FMultiLineTabSheet;
  if (inputs.MultiLine) {
    inputs.OldStringSize = FMultiLine->MemoFromStr()->LineCount();
    inputs.NewStringSize = FMultiLine->MemoToStr()->LineCount();
  } else {
    inputs.OldStringSize = FFromStr->Value().Len();
    inputs.NewStringSize = FToStr->Value().Len();
  }
  inputs.PatternInvalid = !FPatternMessage.isEmpty();
  FWorkflowState = DeriveWorkflowState(inputs);
  FSnRButton->setEnabled(FWorkflowState.StartEnabled);
  FPreviewButton->setEnabled(FWorkflowState.StartEnabled);
  // A disabled button says why, where the reason is not plain from the help list alone.
  ShowMessageTip(FSnRButton, FPatternMessage);
  ShowMessageTip(FPreviewButton, FPatternMessage);
  if (FPreviewPage) FPreviewPage->SetStartAllowed(FWorkflowState.StartEnabled);
  if (!FInstantHelpForm) return;
  // The lines' old rectangles would tie new lines to old places until they are drawn again.
  FInstantHelpForm->ResetItemRects();
  FDrawHelpLinesTimer.stop();
  ClearScreenOverlay();
  QListWidget* list = FInstantHelpForm->HelpListBox();
  list->clear();
  list->addItems(HelpLines());
  // On every page: on another one the lines lead back to the "create task" page, since the
  // help still asks for what is done there.
  if (FInstantHelpForm->GuidingHelp()) FDrawHelpLinesTimer.start();
}

QStringList TSnRForm::HelpLines() const {
  QStringList lines;
  for (TWorkflowStep step : FWorkflowState.OpenSteps)
    lines << QString::fromUtf8(WorkflowStepText(step, CurrentLanguage()));
  return lines;
}

std::optional<TTaskList> TSnRForm::TasksOfTickedFiles() const {
  TTaskOptions options;
  options.SearchMode = FSearchOptions->SearchMode();
  options.CreateBackup = FOptions.FCreateBackups;
  options.LogMode = static_cast<TLogMode>(FOptions.FLogMode);
  // The run keeps to the folder the files were listed from, and follows links as that scan did.
  options.Links = FFileSelection->LinkRule();
  // Opened for the run alone: a folder held open as long as the window shows its list would
  // keep a removable drive from being taken out.
  options.Links.Opened = OpenRoot(options.Links.Root);
  const std::vector<std::string> files = FFileSelection->CheckedFiles();
  if (FPageControlLineMode->currentWidget() == FMultiLineTabSheet)
    return BuildMultiLineTasks(files, FMultiLine->FromLines(), FMultiLine->ToLines(), options);
  const TExtPChar& from = FFromStr->Value();
  const TExtPChar& to = FToStr->Value();
  options.HexInput = FFromStr->HexInput() || FToStr->HexInput();
  options.KeepModificationTime = FKeepModificationTimeCheckBox->isChecked();
  return BuildSingleLineTasks(files, from.Buffer(), from.Len(), to.Buffer(), to.Len(), options);
}

void TSnRForm::TellStringTooLong() {
  // A cut string would replace something other than what the user wrote: nothing is started
  // and the files stay ticked for a shorter string.
  if (!FNotice) return;
  FNotice(UiText(TTextId::MultiLineStringTooLong, CurrentLanguage(),
                 {QString::number(kMaxJoinedLength)}));
}

void TSnRForm::SnRButtonClick() {
  QueueRun(TasksOfTickedFiles());
}

void TSnRForm::QueueRun(std::optional<TTaskList> tasks) {
  TTaskQueue& queue = FWorker->TaskList();
  // Held, the worker sees the whole batch at once, and the title counts all of it.
  queue.Hold();
  if (tasks) {
    // A run queued behind others adds to their progress and to their summary; on an empty queue
    // it starts anew, and what the status line said before is of no concern to it.
    if (queue.Count() == 0) {
      // The last run's reports still on their way belong to it, not to this one.
      FStatusSink->Deliver();
      FRunProgress.Clear();
      FRunTally.Begin(FResultListBox->Model().rowCount());
      statusBar()->clearMessage();
    }
    FRunTally.Queued(tasks->size());
    std::vector<std::string> fileNames;
    fileNames.reserve(tasks->size());
    for (const auto& task : *tasks)
      fileNames.push_back(task->FileName);
    MeasureFiles(FRunProgress.TaskCount(), std::move(fileNames));
    // A run with backups can be undone whole from the backup page.
    if (FOptions.FCreateBackups && !tasks->empty()) {
      const uint64_t run = ++FRunMarks;
      for (const auto& task : *tasks)
        task->Run = run;
      FBackupFilePage->BeginRun(
          run, FFileSelection->LinkRule().Root,
          ReplaceRunText(FFileSelection->MaskText().value_or(""), *tasks->front()));
    }
    FRunProgress.Add(tasks->size(), FProgressClock());
    queue.AppendBatch(std::move(*tasks));
    FRunInProgress = true;
    FFileSelection->UncheckAllFiles();
  }
  RefreshRunState();
  queue.Release();
  if (!tasks) TellStringTooLong();
  UpdateWorkflowState();
}

void TSnRForm::PreviewButtonClick() {
  std::optional<TTaskList> tasks = TasksOfTickedFiles();
  if (!tasks) return TellStringTooLong();
  FPreviewPage->Start(std::move(*tasks));
  FMainPageControl->setCurrentWidget(FPreviewPage);
}

void TSnRForm::PreviewStartClick() {
  std::optional<TTaskList> tasks = TasksOfTickedFiles();
  if (!tasks) return TellStringTooLong();
  // The user expects to run what the page shows. When the strings or the ticked files have
  // changed since, the page shows the run as it now stands, and the user starts it once seen.
  if (!FPreviewPage->Shows(*tasks)) return FPreviewPage->Start(std::move(*tasks), true);
  QueueRun(FPreviewPage->WithChosenChanges(std::move(*tasks)));
  FPreviewPage->RunStarted();
}

}  // namespace fendrel
