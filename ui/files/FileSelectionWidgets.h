// The controls of the file selection: the path and mask boxes with their labels, the recursion
// box, the box that follows links, the boxes for version-control folders and ignore files, the
// box of names to leave out with its label, the browse button, the status line, the check list
// of found files and the select-all box. The main window places and sizes them; they carry their
// component names as objectNames, which language files address.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QToolButton>

namespace fendrel {

class TFileListModel;

struct TFileSelectionWidgets {
  QLabel* PathLabel = nullptr;
  QComboBox* PathComboBox = nullptr;
  QToolButton* SelectDirSpeedButton = nullptr;
  QLabel* FilenameLabel = nullptr;
  QComboBox* MaskComboBox = nullptr;
  QCheckBox* RekursivCheckBox = nullptr;
  QCheckBox* FollowLinksCheckBox = nullptr;
  // Off unless ticked: a run over .git and its kind could corrupt a repository.
  QCheckBox* IncludeVcsCheckBox = nullptr;
  // Off unless ticked: the user sees the list, and ticks what a run is to change.
  QCheckBox* IgnoreFilesCheckBox = nullptr;
  // Names to leave out, as the command line's --exclude takes them: empty leaves out nothing.
  QLabel* ExcludeLabel = nullptr;
  QComboBox* ExcludeComboBox = nullptr;
  QCheckBox* SelectAllNoneCheckBox = nullptr;
  QListView* FileCheckListBox = nullptr;
  // The check list's entries, owned by the list.
  TFileListModel* FileList = nullptr;
  QLabel* FileSearchResultLabel = nullptr;
  // The window's notice lying over the check list, hidden when the first search starts; may
  // stay null.
  QWidget* WarrantyMemo = nullptr;
};

// Creates the controls as children of `parent`, with their names, English captions and hints.
// The path, mask and exclusion boxes are the caller's history boxes when given (they are made
// editable and named); otherwise plain combo boxes are created.
TFileSelectionWidgets CreateFileSelectionWidgets(QWidget* parent, QComboBox* pathComboBox = nullptr,
                                                 QComboBox* maskComboBox = nullptr,
                                                 QComboBox* excludeComboBox = nullptr);

// The captions in the language `language` (0 German, -1 the language file's texts or English,
// anything else English); hints keep their English texts in both, except the link box's, which
// says in the language what a link is refused or followed for, and the exclusion box's, which
// explains what it takes (under a language file only when its texts hold that hint, else the
// file's window section has the say).
void SetFileSelectionCaptions(const TFileSelectionWidgets& widgets, int language);

}  // namespace fendrel
