#include "ZQSnRMainForm.h"

#include <algorithm>
#include <vector>

#include "TranslateComponent.h"
#include "ui/editors/UiText.h"

namespace fendrel {
namespace {

struct TLanguageUnit {
  TLocations Locations;
  std::unique_ptr<TLanguageState> State;
  std::vector<TLanguageAware*> Windows;
};

TLanguageUnit& Unit() {
  static TLanguageUnit unit;
  return unit;
}

// The catalogue's texts for -1 are read whenever the language file comes into use, as the
// windows read their sections; another language leaves none from an earlier use behind.
void UseTextsOfLanguage(int32_t language) {
  if (language == kLanguageFromFile)
    InstallLanguageFileTexts(Unit().State->LanguageFile());
  else
    UseLanguageFileTexts({});
}

}  // namespace

void AddLanguageWindow(TLanguageAware* window) {
  Unit().Windows.push_back(window);
}

void RemoveLanguageWindow(TLanguageAware* window) {
  auto& windows = Unit().Windows;
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

TLanguageState& LanguageUnit() {
  return *Unit().State;
}

void TZQSnRMainForm::InitLanguageUnit(const TLocations& locations) {
  Unit().Locations = locations;
  Unit().State = std::make_unique<TLanguageState>(locations);
  UseTextsOfLanguage(CurrentLanguage());
}

int32_t TZQSnRMainForm::CurrentLanguage() {
  return LanguageUnit().CurrentLanguage();
}

const std::string& TZQSnRMainForm::GetSettingsFile() {
  return Unit().Locations.SettingsFile;
}

const std::string& TZQSnRMainForm::GetDataDirectory() {
  return Unit().Locations.DataDirectory;
}

void TZQSnRMainForm::ChangeLanguage(int32_t language) {
  LanguageUnit().ChangeLanguage(language);
  UseTextsOfLanguage(language);
  // A window may join or leave while another applies its texts; walk a copy.
  const std::vector<TLanguageAware*> windows = Unit().Windows;
  for (TLanguageAware* window : windows) {
    if (auto* form = dynamic_cast<TZQSnRMainForm*>(window); form && language == kLanguageFromFile)
      form->TranslateFromFile();
    window->SetCurrentLanguage();
  }
}

TZQSnRMainForm::TZQSnRMainForm(QWidget* parent) : QMainWindow(parent) {}

TZQSnRMainForm::~TZQSnRMainForm() {
  if (FJoined) RemoveLanguageWindow(this);
}

void TZQSnRMainForm::TranslateFromFile() {
  fendrel::TranslateFromFile(*this, LanguageUnit().LanguageFile());
}

void TZQSnRMainForm::FinishConstruction() {
  AddLanguageWindow(this);
  FJoined = true;
  LoadSettings();
  if (CurrentLanguage() == kLanguageFromFile) TranslateFromFile();
  SetCurrentLanguage();
}

}  // namespace fendrel
