// The main window's built-in texts, applied by component name, and the companion windows that
// take part in language changes with it.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "InstantHelpForm.h"
#include "MainFormTexts.h"
#include "SnRForm.h"
#include "TranslateComponent.h"
#include "i18n/LanguageFileTexts.h"
#include "i18n/LanguageTable.h"
#include "ui/editors/UiText.h"
#include "ui/files/FileSelection.h"
#include "ui/records/BackupFileListPage.h"
#include "ui/records/BannerForm.h"
#include "ui/records/PreviewPage.h"
#include "ui/records/SnRAboutForm.h"

namespace fendrel {
namespace {

// A window of another group joins the language changes through its own
// SetCurrentLanguage(language); with a language file, the file's section named after the window
// is applied first, as for the windows of this group.
template <typename TWindow>
class TLanguageAdapter : public TLanguageAware {
 public:
  explicit TLanguageAdapter(TWindow* window) : FWindow(window) {
    AddLanguageWindow(this);
    SetCurrentLanguage();
  }
  ~TLanguageAdapter() override { RemoveLanguageWindow(this); }
  void SetCurrentLanguage() override {
    const int32_t language = TZQSnRMainForm::CurrentLanguage();
    if (language == kLanguageFromFile) TranslateFromFile(*FWindow, LanguageUnit().LanguageFile());
    FWindow->SetCurrentLanguage(language);
  }

 private:
  TWindow* FWindow;
};

// Sets the text of whatever kind of component `target` is; a tab sheet's text is its tab's.
void SetComponentText(QObject* target, const QString& text) {
  if (auto* button = qobject_cast<QAbstractButton*>(target)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(target)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(target)) {
    group->setTitle(text);
  } else if (auto* menu = qobject_cast<QMenu*>(target)) {
    menu->setTitle(text);
  } else if (auto* action = qobject_cast<QAction*>(target)) {
    action->setText(text);
  } else if (auto* page = qobject_cast<QWidget*>(target)) {
    // A page's parent is the tab widget's stack; the tab widget sits above it.
    for (QObject* up = page->parent(); up; up = up->parent()) {
      if (auto* tabs = qobject_cast<QTabWidget*>(up)) {
        const int index = tabs->indexOf(page);
        if (index >= 0) tabs->setTabText(index, text);
        break;
      }
    }
  }
}

}  // namespace

QObject* FindComponent(const QObject& root, const QString& path) {
  const QObject* parent = &root;
  QObject* found = nullptr;
  for (const QString& name : path.split('/')) {
    found = parent->findChild<QObject*>(name);
    if (!found) return nullptr;
    parent = found;
  }
  return found;
}

void TSnRForm::SetInstantHelpForm(TInstantHelpForm* help) {
  FInstantHelpForm = help;
  UpdateWorkflowState();
}

void TSnRForm::SetBannerForm(TBannerForm* banner) {
  FBannerForm = banner;
  FCompanionLanguage.push_back(std::make_unique<TLanguageAdapter<TBannerForm>>(banner));
}

void TSnRForm::SetAboutForm(TSnRAboutForm* about) {
  FAboutForm = about;
  FCompanionLanguage.push_back(std::make_unique<TLanguageAdapter<TSnRAboutForm>>(about));
}

void TSnRForm::SetCurrentLanguage() {
  const int32_t language = CurrentLanguage();
  if (language != kGerman && language != kEnglish && language != kLanguageFromFile) return;
  FFileSelection->SetCurrentLanguage(language);
  FBackupFilePage->SetCurrentLanguage(language);
  FPreviewPage->SetCurrentLanguage(language);
  ApplyComponentTexts(language);
  // Under a language file the hint is the file's where its texts hold it, else its window
  // section's.
  if (language != kLanguageFromFile)
    FKeepModificationTimeCheckBox->setToolTip(UiText(TTextId::KeepModificationTimeHint, language));
  else if (const auto hint = LanguageFileText(TTextId::KeepModificationTimeHint))
    FKeepModificationTimeCheckBox->setToolTip(QString::fromUtf8(hint->data(), hint->size()));
  FillWarrantyMemo(language);
  // Captions change their widths: the controls are placed anew.
  FormResize();
  RefreshRunState();
  UpdateWorkflowState();
}

void TSnRForm::ApplyComponentTexts(int32_t language) {
  for (const TComponentText& entry : MainFormTexts()) {
    QObject* target = FindComponent(*this, QString::fromLatin1(entry.Component));
    if (!target) continue;
    SetComponentText(target, entry.Text ? UiText(*entry.Text, language) : QString());
  }
}

void TSnRForm::FillWarrantyMemo(int32_t language) {
  QStringList lines;
  for (const char* line : WarrantyLines(language))
    lines << QString::fromUtf8(line);
  FWarrantyMemo->setPlainText(lines.join('\n'));
}

}  // namespace fendrel
