#include "PreviewPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

#include "PreviewText.h"
#include "engine/TaskChanges.h"
#include "ui/editors/UiText.h"

namespace fendrel {
namespace {

// Changed lines shown per file.
constexpr uint64_t kShownLines = 200;

QString EntryText(const TPreviewPage::TEntry& entry) {
  const QString path = QString::fromLocal8Bit(entry.Path.c_str());
  if (entry.Preview.Failed()) return "FAILED  " + path;
  return QString("%1  %2").arg(entry.Replacements(), 6).arg(path);
}

}  // namespace

int64_t TPreviewPage::TEntry::Replacements() const {
  int64_t count = Preview.Replacements();
  for (std::size_t i = 0; i < Ticked.size(); ++i)
    count -= Ticked[i] ? 0 : static_cast<int64_t>(Preview.Changes[i].Replacements);
  return count;
}

TPreviewPage::TPreviewPage(QWidget* parent)
    : QWidget(parent),
      FSummary(new QLabel(this)),
      FCancelButton(new QPushButton(this)),
      FStartButton(new QPushButton(this)),
      FFileList(new QListWidget),
      FLines(new QTextBrowser) {
  setObjectName("PreviewTabSheet");
  FSummary->setObjectName("PreviewSummaryLabel");
  FCancelButton->setObjectName("CancelPreviewButton");
  FFileList->setObjectName("PreviewFileListBox");
  FLines->setObjectName("PreviewLinesBrowser");
  FStartButton->setObjectName("StartPreviewedRunButton");
  FCancelButton->setEnabled(false);
  FStartButton->setEnabled(false);
  // A long summary (a preview made again says why) wraps rather than widen the window.
  FSummary->setWordWrap(true);
  FLines->setLineWrapMode(QTextEdit::NoWrap);
  // Its links are the ticks of the changes.
  FLines->setOpenLinks(false);

  auto* top = new QHBoxLayout;
  top->setContentsMargins(0, 0, 1, 0);
  top->addWidget(FSummary, 1);
  top->addWidget(FStartButton);
  top->addWidget(FCancelButton);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(FFileList);
  split->addWidget(FLines);
  split->setStretchFactor(1, 2);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 2);
  page->setSpacing(5);
  page->addLayout(top);
  page->addWidget(split, 1);

  connect(FCancelButton, &QPushButton::clicked, this, &TPreviewPage::Cancel);
  connect(FStartButton, &QPushButton::clicked, this, &TPreviewPage::StartRequested);
  connect(FFileList, &QListWidget::currentRowChanged, this, &TPreviewPage::ShowSelected);
  connect(FLines, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
    bool number = false;
    const qulonglong change = link.path().toULongLong(&number);
    if (link.scheme() == "change" && number) ToggleChange(change);
  });
  SetCurrentLanguage(1);
}

TPreviewPage::~TPreviewPage() {
  Cancel();
}

void TPreviewPage::Start(TTaskList tasks, bool madeAgain) {
  Retire();
  FMadeAgain = madeAgain;
  FStarted = false;
  FPreviewed.clear();
  FPreviewed.reserve(tasks.size());
  for (const auto& task : tasks) {
    FPreviewed.push_back(*task);
    // Held open, the folder would keep a removable drive from being taken out.
    FPreviewed.back().Links.Opened = nullptr;
  }
  ++FGeneration;
  FEntries.clear();
  FFileList->clear();
  FLines->clear();
  FFilesDone = 0;
  FReplacements = 0;
  FCancelled = false;
  FFilesTotal = TasksByFile(tasks).size();
  const unsigned generation = FGeneration;
  // The preview's thread hands each result to the window thread; results of a preview that was
  // replaced or cancelled meanwhile are dropped there.
  FRun = std::make_unique<TPreviewRun>(
      std::move(tasks), THunkOptions{0, kShownLines},
      [this, generation](const std::vector<const TSnRTast*>& file, TFilePreview preview) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, path = file.front()->FileName,
             preview = std::move(preview)]() mutable {
              Received(generation, std::move(path), std::move(preview));
            },
            Qt::QueuedConnection);
      },
      [this, generation](bool cancelled) {
        QMetaObject::invokeMethod(
            this, [this, generation, cancelled] { Ended(generation, cancelled); },
            Qt::QueuedConnection);
      });
  FCancelButton->setEnabled(true);
  RefreshSummary();
  RefreshStartButton();
  FRun->Start();
}

bool TPreviewPage::Shows(const TTaskList& tasks) const {
  return std::equal(
      FPreviewed.begin(), FPreviewed.end(), tasks.begin(), tasks.end(),
      [](const TSnRTast& previewed, const auto& task) { return SameChanges(previewed, *task); });
}

void TPreviewPage::SetStartAllowed(bool allowed) {
  FStartAllowed = allowed;
  RefreshStartButton();
}

void TPreviewPage::RunStarted() {
  FStarted = true;
  RefreshStartButton();
}

void TPreviewPage::RefreshStartButton() {
  // Only a whole preview shows the run: one still under way or cancelled shows a part of it.
  FStartButton->setEnabled(FStartAllowed && !FRun && !FCancelled && !FStarted && FReplacements > 0);
}

TTaskList TPreviewPage::WithChosenChanges(TTaskList tasks) const {
  std::map<std::string, const TEntry*> chosen;
  for (const TEntry& entry : FEntries) {
    if (std::find(entry.Ticked.begin(), entry.Ticked.end(), false) != entry.Ticked.end())
      chosen.emplace(entry.Path, &entry);
  }
  if (chosen.empty()) return tasks;
  TTaskList result;
  // A file's tasks follow one another (TasksByFile).
  for (std::size_t first = 0, end = 0; first < tasks.size(); first = end) {
    for (end = first + 1; end < tasks.size() && tasks[end]->FileName == tasks[first]->FileName;)
      ++end;
    const auto entry = chosen.find(tasks[first]->FileName);
    if (entry == chosen.end()) {
      for (std::size_t i = first; i < end; ++i)
        result.push_back(std::move(tasks[i]));
      continue;
    }
    auto choice = std::make_shared<TChosenChanges>();
    for (std::size_t i = first; i < end; ++i)
      choice->Tasks.push_back(*tasks[i]);
    choice->Shown = entry->second->Preview.Changes;
    choice->Ticked = entry->second->Ticked;
    choice->Fingerprint = entry->second->Preview.Fingerprint;
    result.push_back(std::move(tasks[first]));
    result.back()->Chosen = std::move(choice);
  }
  return result;
}

void TPreviewPage::ToggleChange(std::size_t change) {
  const int row = FFileList->currentRow();
  // Once the run is queued, what it makes is settled.
  if (FStarted || row < 0 || static_cast<std::size_t>(row) >= FEntries.size()) return;
  TEntry& entry = FEntries[static_cast<std::size_t>(row)];
  if (change >= entry.Ticked.size()) return;
  const int64_t before = entry.Replacements();
  entry.Ticked[change] = !entry.Ticked[change];
  FReplacements += entry.Replacements() - before;
  FFileList->item(row)->setText(EntryText(entry));
  // The lines stay where the user clicked.
  const int scrolled = FLines->verticalScrollBar()->value();
  ShowSelected();
  FLines->verticalScrollBar()->setValue(scrolled);
  RefreshSummary();
  RefreshStartButton();
}

void TPreviewPage::Retire() {
  if (!FRun) return;
  FRun->Terminate();
  FRetired.push_back(std::move(FRun));
}

void TPreviewPage::Cancel() {
  if (!FRun) return;
  Retire();
  FCancelled = true;
  FCancelButton->setEnabled(false);
  RefreshSummary();
  RefreshStartButton();
}

void TPreviewPage::Received(unsigned generation, std::string path, TFilePreview preview) {
  if (generation != FGeneration || FCancelled) return;
  ++FFilesDone;
  FReplacements += preview.Replacements();
  if (preview.Failed() || preview.Replacements() > 0) {
    const std::size_t changes = preview.Changes.size();
    FEntries.push_back({std::move(path), std::move(preview), std::vector<bool>(changes, true)});
    FFileList->addItem(EntryText(FEntries.back()));
    if (FFileList->count() == 1) FFileList->setCurrentRow(0);
  }
  RefreshSummary();
}

void TPreviewPage::Ended(unsigned generation, bool) {
  // A retired preview has finished its file in hand and can go.
  std::erase_if(FRetired, [](const std::unique_ptr<TPreviewRun>& run) { return run->Ended(); });
  if (generation != FGeneration || !FRun) return;
  FRun->WaitFor();
  FRun.reset();
  FCancelButton->setEnabled(false);
  RefreshSummary();
  RefreshStartButton();
}

void TPreviewPage::ShowSelected() {
  const int row = FFileList->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= FEntries.size()) {
    FLines->clear();
    return;
  }
  const TEntry& entry = FEntries[static_cast<std::size_t>(row)];
  FLines->setHtml(PreviewHtml(entry.Preview, FLanguage, entry.Ticked));
}

void TPreviewPage::RefreshSummary() {
  const QString summary = PreviewSummary(FFilesDone, FFilesTotal, FReplacements, FEntries.size(),
                                         FCancelled, FLanguage);
  FSummary->setText(FMadeAgain ? UiText(TTextId::PreviewMadeAgain, FLanguage, {summary}) : summary);
}

void TPreviewPage::SetCurrentLanguage(int32_t language) {
  if (language == 0 || language == 1 || language == -1) {
    FLanguage = language;
    FCancelButton->setText(UiText(TTextId::CancelPreviewButton, language));
    FStartButton->setText(UiText(TTextId::StartPreviewedRunButton, language));
  }
  RefreshSummary();
  ShowSelected();
}

}  // namespace fendrel
