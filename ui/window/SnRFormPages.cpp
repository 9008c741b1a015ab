// The pages of the main window and their widgets: the file selection and the strings on
// "create task", the result list, the preview and the backup list.
#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include "SnRForm.h"
#include "ui/editors/ComboBoxExt.h"
#include "ui/editors/MultiLineEditors.h"
#include "ui/editors/SearchOptionBoxes.h"
#include "ui/editors/uCombiEditCharHexFrame.h"
#include "ui/files/FileSelection.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/PreviewPage.h"
#include "ui/records/ResultListBox.h"

namespace fendrel {
namespace {

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

void TSnRForm::BuildPages() {
  FMainPageControl = Named(new QTabWidget(this), "MainPageControl");
  setCentralWidget(FMainPageControl);

  FCreateTaskTabSheet = Named(new QWidget, "CreateTaskTabSheet");
  BuildCreateTaskPage(FCreateTaskTabSheet);
  FMainPageControl->addTab(FCreateTaskTabSheet, QString());

  FResultTabSheet = Named(new QWidget, "ResultTabSheet");
  FResultListBox = new TResultListBox(FResultTabSheet);
  FMainPageControl->addTab(FResultTabSheet, QString());

  FPreviewPage = new TPreviewPage;
  FMainPageControl->addTab(FPreviewPage, QString());
  connect(FPreviewPage, &TPreviewPage::StartRequested, this, [this] { PreviewStartClick(); });

  FBackupFilePage = new TBackupFileListPage;
  FMainPageControl->addTab(FBackupFilePage, QString());
  FBackupFilePage->SetReport([this](const QString& text) { statusBar()->showMessage(text); });

  connect(FMainPageControl, &QTabWidget::currentChanged, this,
          [this] { UpdateWorkflowState(); });  // MainPageControlChange
}

void TSnRForm::BuildCreateTaskPage(QWidget* page) {
  FFileNameGroupBox = Named(new QGroupBox(page), "FileNameGroupBox");
  FPathComboBox = new TComboBoxExt(FFileNameGroupBox);
  FMaskComboBox = new TComboBoxExt(FFileNameGroupBox);
  FExcludeComboBox = new TComboBoxExt(FFileNameGroupBox);
  FFiles =
      CreateFileSelectionWidgets(FFileNameGroupBox, FPathComboBox, FMaskComboBox, FExcludeComboBox);
  // The notice lies over the check list until the first search starts.
  FWarrantyMemo = Named(new QPlainTextEdit(FFileNameGroupBox), "WarrantyMemo");
  FWarrantyMemo->setReadOnly(true);
  FWarrantyMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  FFiles.WarrantyMemo = FWarrantyMemo;
  FFiles.PathLabel->setBuddy(FPathComboBox);
  FFiles.FilenameLabel->setBuddy(FMaskComboBox);
  FFileSelection = std::make_unique<TFileSelection>(FFiles, FChooser);
  connect(FFileSelection.get(), &TFileSelection::WorkflowStateChanged, this,
          [this] { UpdateWorkflowState(); });
  connect(FFileSelection.get(), &TFileSelection::ChooserOpening, this,
          [this] { ClearScreenOverlay(); });
  connect(FFileSelection.get(), &TFileSelection::RecoveriesFound, this, &TSnRForm::ShowRecoveries);
  connect(FFileSelection.get(), &TFileSelection::FileSearchTimerTicked, this,
          [this] { FBackupFilePage->RefreshDeleteButton(); });

  BuildStringGroup();

  FSnRButton = Named(new QPushButton(page), "SnRButton");
  FSnRButton->setEnabled(false);
  connect(FSnRButton, &QPushButton::clicked, this, [this] { SnRButtonClick(); });
  FPreviewButton = Named(new QPushButton(page), "PreviewButton");
  FPreviewButton->setEnabled(false);
  connect(FPreviewButton, &QPushButton::clicked, this, [this] { PreviewButtonClick(); });
  // Enabled while tasks are queued.
  FStopButton = Named(new QPushButton(page), "StopButton");
  FStopButton->setEnabled(false);
  connect(FStopButton, &QPushButton::clicked, this, [this] { StopButtonClick(); });
  FKeepModificationTimeCheckBox = Named(new QCheckBox(page), "KeepModificationTimeCheckBox");
}

void TSnRForm::BuildStringGroup() {
  FStringGroupBox = Named(new QGroupBox(FCreateTaskTabSheet), "StringGroupBox");
  FPageControlLineMode = Named(new QTabWidget(FStringGroupBox), "PageControlLineMode");
  FSingleLineTabSheet = Named(new QWidget, "SingleLineTabSheet");
  FMultiLineTabSheet = Named(new QWidget, "MultiLineTabSheet");
  FPageControlLineMode->addTab(FSingleLineTabSheet, QString());
  FPageControlLineMode->addTab(FMultiLineTabSheet, QString());

  FFromStr = Named(new TCombiEditCharHexFrame(FSingleLineTabSheet), "CombiEditCharHexFrameFromStr");
  FToStr = Named(new TCombiEditCharHexFrame(FSingleLineTabSheet), "CombiEditCharHexFrameToStr");
  FMultiLine = new TMultiLineEditors(FMultiLineTabSheet);
  FSearchOptions = new TSearchOptionBoxes(FSingleLineTabSheet, FMultiLineTabSheet);
  FSearchOptions->setParent(this);
  FMultiLine->setParent(this);

  for (TCombiEditCharHexFrame* frame : {FFromStr, FToStr})
    connect(frame, &TCombiEditCharHexFrame::Changed, this, [this] { UpdateWorkflowState(); });
  connect(FMultiLine, &TMultiLineEditors::Changed, this, [this] { UpdateWorkflowState(); });
  connect(FSearchOptions, &TSearchOptionBoxes::Changed, this, [this] { UpdateWorkflowState(); });
  connect(FPageControlLineMode, &QTabWidget::currentChanged, this,
          [this] { UpdateWorkflowState(); });  // PageControlLineModeChange
  // Every change that can make the old string a different pattern checks it again.
  connect(FFromStr, &TCombiEditCharHexFrame::Changed, this, [this] { CheckPattern(); });
  connect(FMultiLine, &TMultiLineEditors::Changed, this, [this] { CheckPattern(); });
  connect(FSearchOptions, &TSearchOptionBoxes::Changed, this, [this] { CheckPattern(); });
  connect(FPageControlLineMode, &QTabWidget::currentChanged, this, [this] { CheckPattern(); });
}

}  // namespace fendrel
