#include "FileSelectionWidgets.h"

#include <QFontDatabase>
#include <utility>

#include "FileListModel.h"
#include "i18n/LanguageTable.h"
#include "ui/editors/UiText.h"

namespace fendrel {
namespace {

template <typename W>
W* Named(W* widget, const char* name, const char* hint = nullptr) {
  widget->setObjectName(QString::fromLatin1(name));
  if (hint != nullptr) widget->setToolTip(QString::fromUtf8(hint));
  return widget;
}

QComboBox* HistoryBox(QComboBox* given, QWidget* parent) {
  QComboBox* box = given != nullptr ? given : new QComboBox(parent);
  box->setEditable(true);
  // The history decides the order and the entries; typing must never add to it.
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setDuplicatesEnabled(false);
  // What the box shows is what is scanned: no completion from the history as the user types.
  box->setCompleter(nullptr);
  return box;
}

}  // namespace

TFileSelectionWidgets CreateFileSelectionWidgets(QWidget* parent, QComboBox* pathComboBox,
                                                 QComboBox* maskComboBox,
                                                 QComboBox* excludeComboBox) {
  TFileSelectionWidgets w;
  w.PathComboBox = Named(HistoryBox(pathComboBox, parent), "PathComboBox",
                         "insert the path in which the files are stored");
  w.MaskComboBox = Named(HistoryBox(maskComboBox, parent), "MaskComboBox",
                         "insert the name of the file to be processed - including wildcards");
  w.PathLabel = Named(new QLabel(parent), "PathLabel");
  w.PathLabel->setBuddy(w.PathComboBox);
  w.FilenameLabel = Named(new QLabel(parent), "FilenameLabel");
  w.FilenameLabel->setBuddy(w.MaskComboBox);
  w.RekursivCheckBox =
      Named(new QCheckBox(parent), "RekursivCheckBox", "is the file search recursiv");
  w.FollowLinksCheckBox = Named(new QCheckBox(parent), "FollowLinksCheckBox");
  w.IncludeVcsCheckBox = Named(new QCheckBox(parent), "IncludeVcsCheckBox",
                               "also list the files in .git, .hg, .svn, .bzr, _darcs and CVS");
  w.IgnoreFilesCheckBox =
      Named(new QCheckBox(parent), "IgnoreFilesCheckBox",
            "leave out what .gitignore, .ignore and .git/info/exclude name in a git work tree");
  w.ExcludeComboBox = Named(HistoryBox(excludeComboBox, parent), "ExcludeComboBox");
  w.ExcludeLabel = Named(new QLabel(parent), "ExcludeLabel");
  w.ExcludeLabel->setBuddy(w.ExcludeComboBox);
  w.SelectDirSpeedButton =
      Named(new QToolButton(parent), "SelectDirSpeedButton", "opens the path select form");
  w.SelectDirSpeedButton->setText(QStringLiteral("..."));
  w.FileSearchResultLabel = Named(new QLabel(parent), "FileSearchResultLabel");
  w.FileCheckListBox = Named(new QListView(parent), "FileCheckListBox",
                             "check any single file, that has to be processed");
  w.FileList = new TFileListModel(w.FileCheckListBox);
  w.FileCheckListBox->setModel(w.FileList);
  w.FileCheckListBox->setSelectionMode(QAbstractItemView::SingleSelection);
  // Every row is one line of the same font: the view need not measure 200,000 of them.
  w.FileCheckListBox->setUniformItemSizes(true);
  w.FileCheckListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
  w.FileCheckListBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  w.SelectAllNoneCheckBox = Named(new QCheckBox(parent), "SelectAllNoneCheckBox",
                                  "select all/none files in the list below");
  w.SelectAllNoneCheckBox->setTristate(true);
  w.SelectAllNoneCheckBox->setCheckState(Qt::PartiallyChecked);
  SetFileSelectionCaptions(w, 1);
  return w;
}

void SetFileSelectionCaptions(const TFileSelectionWidgets& w, int language) {
  w.PathLabel->setText(UiText(TTextId::PathLabel, language));
  w.FilenameLabel->setText(UiText(TTextId::FileNameLabel, language));
  w.RekursivCheckBox->setText(UiText(TTextId::RecursiveBox, language));
  w.FollowLinksCheckBox->setText(UiText(TTextId::FollowLinksBox, language));
  w.IncludeVcsCheckBox->setText(UiText(TTextId::IncludeVcsBox, language));
  w.IgnoreFilesCheckBox->setText(UiText(TTextId::IgnoreFilesBox, language));
  w.ExcludeLabel->setText(UiText(TTextId::ExcludeLabel, language));
  // Under a language file a hint is the file's: its window section may have set it already.
  for (const auto& [widget, hintId] :
       {std::pair<QWidget*, TTextId>{w.FollowLinksCheckBox, TTextId::FollowLinksHint},
        {w.ExcludeComboBox, TTextId::ExcludeHint}}) {
    if (language >= 0)
      widget->setToolTip(UiText(hintId, language));
    else if (language == kLanguageFromFile)
      if (const auto hint = LanguageFileText(hintId))
        widget->setToolTip(QString::fromUtf8(hint->data(), hint->size()));
  }
  w.SelectAllNoneCheckBox->setText(UiText(TTextId::SelectAllNoneBox, language));
}

}  // namespace fendrel
