// The language-aware base window: every window of the program but the directory chooser takes
// part in language changes through it. It keeps the process-wide list of such windows, runs each
// window's settings hooks, and knows where the settings and data files are.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>

#include "i18n/LanguageState.h"
#include "settings/Locations.h"

namespace fendrel {

// Anything that shows built-in texts: a window of this family, or a window of another group of
// windows joined through a small adapter.
class TLanguageAware {
 public:
  virtual ~TLanguageAware() = default;
  // Applies the built-in texts of the current language.
  virtual void SetCurrentLanguage() = 0;
};

// The list of language-aware windows, in the order they joined. It refers to them and owns
// none; a window leaves it when it is destroyed, so it is never visited afterwards.
void AddLanguageWindow(TLanguageAware* window);
void RemoveLanguageWindow(TLanguageAware* window);

class TZQSnRMainForm : public QMainWindow, public TLanguageAware {
  Q_OBJECT

 public:
  // Fixes the locations and reads the language state; the program calls it once before its
  // first window, a test before each test's windows (with its own temporary locations).
  static void InitLanguageUnit(const TLocations& locations);

  static int32_t CurrentLanguage();
  static const std::string& GetSettingsFile();
  static const std::string& GetDataDirectory();
  // Makes `language` current, writes it to the settings file and lets every language-aware
  // window apply its texts, in the order the windows joined.
  static void ChangeLanguage(int32_t language);

  ~TZQSnRMainForm() override;

  virtual void LoadSettings() {}
  virtual void SaveSettings() {}
  virtual void CloseWindow() { close(); }
  void SetCurrentLanguage() override {}

 protected:
  explicit TZQSnRMainForm(QWidget* parent = nullptr);
  // The rest of the base construction, which needs the derived window complete (C++ runs no
  // override from a base constructor): join the list, LoadSettings, the language file, then
  // SetCurrentLanguage. The most derived constructor calls it once its widgets exist.
  void FinishConstruction();

 private:
  // Applies the language file's entries to this window and its components; SetCurrentLanguage
  // runs after it, so the built-in English texts win wherever a window sets them.
  void TranslateFromFile();

  bool FJoined = false;
};

// The language state of the process (InitLanguageUnit must have run).
TLanguageState& LanguageUnit();

}  // namespace fendrel
