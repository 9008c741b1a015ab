#include "FileSelection.h"

#include <QItemSelectionModel>
#include <QLineEdit>

#include "ChoseDirectoryForm.h"
#include "FileListEntries.h"
#include "FileListModel.h"
#include "QtWindowThreadDispatcher.h"
#include "platform/FileAttributes.h"
#include "scan/DirWalk.h"
#include "scan/uScanDirThread.h"
#include "ui/editors/ComboBoxExt.h"
#include "ui/editors/UiText.h"

namespace fendrel {

QString FileSearchStatusText(bool finished, int count, int language, std::size_t unreadable) {
  QString text = UiText(finished ? TTextId::FileSearchComplete : TTextId::FileSearchRunning,
                        language, {QString::number(count)});
  if (finished && unreadable > 0) {
    text += QStringLiteral(", ") +
            UiText(unreadable == 1 ? TTextId::UnreadableFolderOne : TTextId::UnreadableFolderMany,
                   language, {QString::number(unreadable)});
  }
  return text;
}

TFileSelection::TFileSelection(const TFileSelectionWidgets& widgets, TChoseDirectoryForm* chooser,
                               QObject* parent)
    : QObject(parent), FWidgets(widgets), FChooser(chooser) {
  // Hits must reach the list on the window thread; a program that has not installed its
  // dispatcher yet gets one for as long as this selection lives.
  if (WindowThreadDispatcher() == nullptr)
    FOwnDispatcher = std::make_unique<TQtWindowThreadDispatcher>();

  // An idle scanner, finished and never started, so that a scanner always exists.
  FScanThread = std::make_unique<TScanDirThread>();
  FScanThread->MarkFinished();

  FCheckFileSearchTimer.setObjectName(QStringLiteral("CheckFileSearchTimer"));
  FCheckFileSearchTimer.setInterval(200);
  connect(&FCheckFileSearchTimer, &QTimer::timeout, this,
          &TFileSelection::CheckFileSearchTimerTimer);

  // Keystrokes and choices from the drop-down list restart the scan; a text set by the program
  // (the chooser, the history) does not.
  for (QComboBox* box : {FWidgets.PathComboBox, FWidgets.MaskComboBox, FWidgets.ExcludeComboBox}) {
    connect(box->lineEdit(), &QLineEdit::textEdited, this, &TFileSelection::StartFileSearch);
    connect(box, &QComboBox::textActivated, this, &TFileSelection::StartFileSearch);
  }
  connect(FWidgets.RekursivCheckBox, &QCheckBox::clicked, this, &TFileSelection::StartFileSearch);
  for (QCheckBox* box :
       {FWidgets.FollowLinksCheckBox, FWidgets.IncludeVcsCheckBox, FWidgets.IgnoreFilesCheckBox})
    connect(box, &QCheckBox::clicked, this, &TFileSelection::StartFileSearch);
  connect(FWidgets.SelectAllNoneCheckBox, &QCheckBox::stateChanged, this,
          &TFileSelection::SelectAllNoneCheckBoxClick);
  connect(FWidgets.SelectDirSpeedButton, &QToolButton::clicked, this,
          &TFileSelection::SelectDirSpeedButtonClick);

  QListView* list = FWidgets.FileCheckListBox;
  list->setAcceptDrops(false);
  connect(list, &QListView::clicked, this, &TFileSelection::FileCheckListBoxClick);
  connect(list, &QListView::doubleClicked, this, &TFileSelection::FileCheckListBoxDblClick);
  // A tick the user sets by any means (mouse or keyboard) changes what a run would process.
  connect(FWidgets.FileList, &TFileListModel::TickChanged, this, [this] {
    if (!FSettingTicks) emit WorkflowStateChanged();
  });
}

TFileSelection::~TFileSelection() {
  StopScan();
}

void TFileSelection::StopScan() {
  if (!FScanThread) return;
  FScanThread->Terminate();
  if (FTarget) FTarget->Discard();
  if (FScanThread->Started()) {
    // A scanner blocked in a hand-over can only end once the window thread serves it, so the
    // wait serves hand-overs and nothing else: no keystroke or timer runs meanwhile.
    if (auto* dispatcher = dynamic_cast<TQtWindowThreadDispatcher*>(WindowThreadDispatcher()))
      dispatcher->ServeUntil([this] { return FScanThread->Ended(); });
  }
  FScanThread.reset();
  FTarget.reset();
}

void TFileSelection::StartFileSearch() {
  if (FWidgets.WarrantyMemo != nullptr) FWidgets.WarrantyMemo->hide();
  StopScan();
  FScanThread = std::make_unique<TScanDirThread>();
  FWidgets.FileList->Clear();
  FLastFileCount = -1;
  FLinkRule = {};
  FRecoveriesTaken = true;
  const std::optional<std::string> exclude = ExcludeText();
  // The same rule as the command line's --exclude; an empty box leaves nothing out.
  FExcludeRefused = exclude && ExcludeGlobFault(*exclude) == TExcludeFault::HoldsSlash;
  if (PathEmpty() || MaskEmpty()) {
    FCheckFileSearchTimer.stop();
    FWidgets.FileSearchResultLabel->clear();
    // Nothing will run: the scanner counts as idle, like the one at start-up.
    FScanThread->MarkFinished();
  } else {
    FWidgets.SelectAllNoneCheckBox->setCheckState(Qt::PartiallyChecked);
    const std::optional<std::string> path = PathText();
    const std::optional<std::string> mask = MaskText();
    if (path && mask && exclude && !FExcludeRefused) {
      FTarget = std::make_unique<TFileListTarget>(*FWidgets.FileList);
      FScanThread->Setup(*path, *mask, FTarget.get(), FWidgets.RekursivCheckBox->isChecked(),
                         kFileScanFilter);
      const bool follow = FWidgets.FollowLinksCheckBox->isChecked();
      TWalkOptions options;
      options.FollowLinks = follow;
      options.IncludeVcsFolders = FWidgets.IncludeVcsCheckBox->isChecked();
      options.HonourIgnoreFiles = FWidgets.IgnoreFilesCheckBox->isChecked();
      if (!exclude->empty()) options.Excluded = {*exclude};
      FScanThread->SetWalkOptions(std::move(options));
      FLinkRule = {FullStartPath(*path), follow};
      FRecoveriesTaken = false;
      FScanThread->Start();
    } else {
      // A name the code page cannot write names no file: the search is over, with none found.
      // An exclusion that could never match a name lists nothing until it is mended, rather
      // than a list the user would take for a filtered one.
      FScanThread->MarkFinished();
    }
    FCheckFileSearchTimer.start();
  }
  emit WorkflowStateChanged();
}

void TFileSelection::CheckFileSearchTimerTimer() {
  const int count = FileCount();
  const bool finished = ScanFinished();
  if (finished && count != FLastFileCount) {
    FLastFileCount = count;
    emit WorkflowStateChanged();
  }
  if (finished && !FRecoveriesTaken) {
    FRecoveriesTaken = true;
    // A copy: whoever is told may start the next scan, which drops this one.
    const std::vector<TRecovery> recoveries = FScanThread->Recoveries();
    if (!recoveries.empty()) emit RecoveriesFound(recoveries);
  }
  if (PathEmpty() || MaskEmpty())
    FWidgets.FileSearchResultLabel->clear();
  else if (FExcludeRefused)
    FWidgets.FileSearchResultLabel->setText(UiText(TTextId::ExcludeHoldsSlash, FLanguage));
  else
    FWidgets.FileSearchResultLabel->setText(
        FileSearchStatusText(finished, count, FLanguage,
                             finished && FScanThread ? FScanThread->Unreadable().size() : 0));
  emit FileSearchTimerTicked();
}

void TFileSelection::SelectAllNoneCheckBoxClick() {
  const Qt::CheckState state = FWidgets.SelectAllNoneCheckBox->checkState();
  if (state != Qt::PartiallyChecked) SetTicks(state);
  emit WorkflowStateChanged();
}

void TFileSelection::FileCheckListBoxClick() {
  FWidgets.SelectAllNoneCheckBox->setCheckState(Qt::PartiallyChecked);
  // The tooltip shows the whole path of the entry clicked last, however narrow the list.
  const QModelIndex current = FWidgets.FileCheckListBox->currentIndex();
  if (current.isValid()) FWidgets.FileCheckListBox->setToolTip(current.data().toString());
  emit WorkflowStateChanged();
}

void TFileSelection::FileCheckListBoxDblClick() {
  // A ticked entry is about to be processed; a double-click must not drop it by accident.
  const QModelIndexList selected = FWidgets.FileCheckListBox->selectionModel()->selectedRows();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it)
    if (!FWidgets.FileList->Ticked(it->row())) FWidgets.FileList->Remove(it->row());
  emit WorkflowStateChanged();
}

void TFileSelection::SelectDirSpeedButtonClick() {
  emit ChooserOpening();
  QComboBox* box = FWidgets.PathComboBox;
  const QString directory = FChooser != nullptr ? FChooser->Execute(box->currentText()) : QString();
  if (!directory.isEmpty()) {
    box->setEditText(directory);
    StartFileSearch();
    // The window's path box keeps its history apart from its items; only that history is
    // saved, so the chosen folder must enter it, not merely the list shown.
    if (auto* history = qobject_cast<TComboBoxExt*>(box)) {
      history->UpdateHistory();
    } else if (!PathEmpty()) {
      const QString text = box->currentText();
      for (int i = box->count() - 1; i >= 0; --i)
        if (box->itemText(i) == text) box->removeItem(i);
      box->insertItem(0, text);
      box->setCurrentIndex(0);
    }
  }
  emit WorkflowStateChanged();
}

bool TFileSelection::ScanFinished() const {
  return !FScanThread || FScanThread->Finished();
}

int TFileSelection::FileCount() const {
  return FWidgets.FileList->Count();
}

int TFileSelection::CountCheckedFiles() const {
  return FWidgets.FileList->TickedCount();
}

std::vector<std::string> TFileSelection::CheckedFiles() const {
  return FWidgets.FileList->TickedPaths();
}

void TFileSelection::UncheckAllFiles() {
  SetTicks(Qt::Unchecked);
}

void TFileSelection::SetTicks(Qt::CheckState state) {
  FSettingTicks = true;
  FWidgets.FileList->SetAllTicked(state == Qt::Checked);
  FSettingTicks = false;
}

std::optional<std::string> TFileSelection::PathText() const {
  return PathBytes(FWidgets.PathComboBox->currentText());
}

std::optional<std::string> TFileSelection::MaskText() const {
  return PathBytes(FWidgets.MaskComboBox->currentText());
}

std::optional<std::string> TFileSelection::ExcludeText() const {
  return PathBytes(FWidgets.ExcludeComboBox->currentText());
}

bool TFileSelection::PathEmpty() const {
  return FWidgets.PathComboBox->currentText().isEmpty();
}

bool TFileSelection::MaskEmpty() const {
  return FWidgets.MaskComboBox->currentText().isEmpty();
}

void TFileSelection::SetCurrentLanguage(int language) {
  FLanguage = language;
  SetFileSelectionCaptions(FWidgets, language);
}

}  // namespace fendrel
