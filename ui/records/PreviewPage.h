// The preview page of the main window: what a run of the ticked files would change, found in
// the background without writing anything. A list of the files a run would change (or fail on)
// with their counts, the selected file's changed lines before and after, a summary line, a
// cancel button and a button that starts the run shown. A new preview cancels the one before.
#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/PreviewRun.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace fendrel {

class TPreviewPage : public QWidget {
  Q_OBJECT

 public:
  explicit TPreviewPage(QWidget* parent = nullptr);
  ~TPreviewPage() override;

  // Previews `tasks` (a run's tasks, as the start button would queue them). `madeAgain`: the
  // preview is made anew because the run the user asked to start was no longer the one shown.
  void Start(TTaskList tasks, bool madeAgain = false);
  // Ends the preview after the file in hand; what was found so far stays shown.
  void Cancel();
  bool Running() const { return FRun != nullptr; }
  // Whether a run of `tasks` would make the changes shown: the same files in the same order,
  // with the same strings, search and folder.
  bool Shows(const TTaskList& tasks) const;
  // The window's word that a run could start now (its own start button is enabled).
  void SetStartAllowed(bool allowed);
  // The run shown was queued: it is not started twice.
  void RunStarted();
  // `tasks`, a run Shows(), with the tasks of each file where the user unticked changes made one
  // task that makes only the ticked ones.
  TTaskList WithChosenChanges(TTaskList tasks) const;
  // Ticks or unticks change `change` of the selected file, as a click on its tick does.
  void ToggleChange(std::size_t change);

  // 0 German, 1 English, -1 the language file's texts where it holds them and English elsewhere
  // (the catalogue's texts); any other value changes nothing.
  void SetCurrentLanguage(int32_t language);

  struct TEntry {
    std::string Path;
    TFilePreview Preview;
    // Per change shown: it stays ticked, and a run makes it.
    std::vector<bool> Ticked;
    // The replacements a run would make: those of the changes left ticked.
    int64_t Replacements() const;
  };
  // The files a run would change or fail on, in queue order.
  const std::vector<TEntry>& Entries() const { return FEntries; }
  int64_t Replacements() const { return FReplacements; }
  std::size_t FilesDone() const { return FFilesDone; }

  QLabel* Summary() const { return FSummary; }
  QPushButton* CancelButton() const { return FCancelButton; }
  QPushButton* StartButton() const { return FStartButton; }
  QListWidget* FileList() const { return FFileList; }
  QTextBrowser* Lines() const { return FLines; }

 signals:
  // The user asked to start the run shown.
  void StartRequested();

 private:
  void Received(unsigned generation, std::string path, TFilePreview preview);
  void Ended(unsigned generation, bool cancelled);
  void ShowSelected();
  void RefreshSummary();
  void RefreshStartButton();
  void Retire();

  QLabel* FSummary;
  QPushButton* FCancelButton;
  QPushButton* FStartButton;
  QListWidget* FFileList;
  QTextBrowser* FLines;
  int32_t FLanguage = 1;

  std::unique_ptr<TPreviewRun> FRun;
  // Cancelled previews finishing their file in hand; deleted when they report their end, so
  // that cancelling never waits for them.
  std::vector<std::unique_ptr<TPreviewRun>> FRetired;
  unsigned FGeneration = 0;
  std::vector<TEntry> FEntries;
  std::size_t FFilesTotal = 0;
  std::size_t FFilesDone = 0;
  int64_t FReplacements = 0;
  bool FCancelled = false;
  bool FMadeAgain = false;
  bool FStartAllowed = false;
  bool FStarted = false;
  // What the preview shows is what a run of these tasks would do.
  std::vector<TSnRTast> FPreviewed;
};

}  // namespace fendrel
