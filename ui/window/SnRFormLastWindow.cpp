// The main window's place and file selection between starts: written with the settings, shown
// again at the next start. The place is the last one the window had on its own (neither
// minimised nor maximised) and is put back on the screen when shown (PlaceOnScreen).
#include <QCheckBox>
#include <QComboBox>

#include "SnRForm.h"
#include "settings/LastWindow.h"
#include "ui/editors/CodePageText.h"
#include "ui/editors/ComboBoxExt.h"
#include "ui/files/FileSelection.h"

namespace fendrel {

void TSnRForm::RestoreLastWindow() {
  TLastWindow last;
  last.Recursive = FFiles.RekursivCheckBox->isChecked();
  last.FollowLinks = FFiles.FollowLinksCheckBox->isChecked();
  last.IncludeVcs = FFiles.IncludeVcsCheckBox->isChecked();
  last.IgnoreFiles = FFiles.IgnoreFilesCheckBox->isChecked();
  last.KeepModificationTime = FKeepModificationTimeCheckBox->isChecked();
  LoadLastWindow(GetSettingsFile(), last);
  if (last.HasPlacement()) {
    resize(last.Width, last.Height);
    move(last.Left, last.Top);
  }
  FFiles.RekursivCheckBox->setChecked(last.Recursive);
  FFiles.FollowLinksCheckBox->setChecked(last.FollowLinks);
  FFiles.IncludeVcsCheckBox->setChecked(last.IncludeVcs);
  FFiles.IgnoreFilesCheckBox->setChecked(last.IgnoreFiles);
  FKeepModificationTimeCheckBox->setChecked(last.KeepModificationTime);
  // A text the code page cannot show would come back as other bytes: it is left out.
  if (BytesShowable(last.Path)) FPathComboBox->setEditText(BytesToQString(last.Path));
  if (BytesShowable(last.Mask)) FMaskComboBox->setEditText(BytesToQString(last.Mask));
  if (BytesShowable(last.Exclude)) FExcludeComboBox->setEditText(BytesToQString(last.Exclude));
  // The files of the last selection are listed again, as if it had just been typed.
  if (!FFileSelection->PathEmpty() && !FFileSelection->MaskEmpty())
    FFileSelection->StartFileSearch();
}

void TSnRForm::RememberLastWindow() {
  TLastWindow last;
  // A window never shown has no place of its own; one minimised or maximised keeps the place it
  // had before.
  if (FShownOnce &&
      (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) == 0) {
    last.Left = pos().x();
    last.Top = pos().y();
    last.Width = width();
    last.Height = height();
  }
  last.Path = FFileSelection->PathText().value_or(std::string());
  last.Mask = FFileSelection->MaskText().value_or(std::string());
  last.Exclude = FFileSelection->ExcludeText().value_or(std::string());
  last.Recursive = FFiles.RekursivCheckBox->isChecked();
  last.FollowLinks = FFiles.FollowLinksCheckBox->isChecked();
  last.IncludeVcs = FFiles.IncludeVcsCheckBox->isChecked();
  last.IgnoreFiles = FFiles.IgnoreFilesCheckBox->isChecked();
  last.KeepModificationTime = FKeepModificationTimeCheckBox->isChecked();
  SaveLastWindow(GetSettingsFile(), last);
}

}  // namespace fendrel
