#include "Iniregi.h"

#include <charconv>
#include <cstdlib>

#include "AtomicFile.h"

namespace fendrel {
namespace {

bool EntryWritable(std::string_view section, std::string_view key, std::string_view value) {
  return IniSectionWritable(section) && IniKeyWritable(key) && IniValueWritable(value);
}

}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  const bool plus = !text.empty() && text.front() == '+';
  if (plus) text.remove_prefix(1);
  if (text.empty() || (plus && text.front() == '-')) return std::nullopt;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

TIniReader::TIniReader(const std::string& file) {
  std::string content;
  if (ReadWholeFile(file, content) != TReadResult::Read) return;
  TSection* current = nullptr;
  for (const TIniLine& line : SplitIniLines(content)) {
    const TIniLineInfo info =
        ClassifyIniLine(std::string_view(content).substr(line.Begin, line.End - line.Begin));
    if (info.Kind == TIniLineKind::Section) {
      // A later section of a name already seen is skipped as a whole.
      const auto [it, fresh] = FSections.try_emplace(FoldIniName(info.Name));
      current = fresh ? &it->second : nullptr;
    } else if (info.Kind == TIniLineKind::Key && current != nullptr) {
      if (current->RawValues.try_emplace(FoldIniName(info.Name), info.RawValue).second)
        current->Keys.emplace_back(info.Name);
    }
  }
}

std::optional<TIniValue> TIniReader::Lookup(std::string_view section, std::string_view key) const {
  const auto sectionIt = FSections.find(FoldIniName(section));
  if (sectionIt == FSections.end()) return std::nullopt;
  const auto keyIt = sectionIt->second.RawValues.find(FoldIniName(key));
  if (keyIt == sectionIt->second.RawValues.end()) return std::nullopt;
  return NormaliseIniValue(keyIt->second);
}

std::string TIniReader::ReadString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
  // The default is the caller's own text, never a stored one, so it is handed back whole: a
  // settings path longer than the read limit must not come back as another path.
  std::optional<TIniValue> value = Lookup(section, key);
  return value ? std::move(value->Text) : std::string(defaultValue);
}

int32_t TIniReader::ReadInteger(std::string_view section, std::string_view key,
                                int32_t defaultValue) const {
  const std::optional<TIniValue> value = Lookup(section, key);
  if (!value) return defaultValue;
  return ParseIniInteger(value->Text).value_or(defaultValue);
}

bool TIniReader::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  const std::optional<TIniValue> value = Lookup(section, key);
  return value ? value->Text == "1" : defaultValue;
}

std::vector<std::string> TIniReader::Keys(std::string_view section) const {
  const auto it = FSections.find(FoldIniName(section));
  return it == FSections.end() ? std::vector<std::string>() : it->second.Keys;
}

std::string IniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view defaultValue) {
  return TIniReader(file).ReadString(section, key, defaultValue);
}

int32_t IniReadInteger(const std::string& file, std::string_view section, std::string_view key,
                       int32_t defaultValue) {
  return TIniReader(file).ReadInteger(section, key, defaultValue);
}

bool IniReadBool(const std::string& file, std::string_view section, std::string_view key,
                 bool defaultValue) {
  return TIniReader(file).ReadBool(section, key, defaultValue);
}

bool IniWriteStrings(const std::string& file, std::string_view section,
                     const TIniEntries& entries) {
  for (const auto& [key, value] : entries)
    if (!EntryWritable(section, key, value)) return false;

  std::string content;
  // A file that exists but cannot be read must not be replaced by one holding only this write.
  if (ReadWholeFile(file, content) == TReadResult::Failed) return false;
  TIniText text(content);
  for (const auto& [key, value] : entries)
    text.SetValue(section, key, value);
  if (text.Content() == content) return true;
  return ReplaceFileContent(file, text.Content());
}

bool IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value) {
  return IniWriteStrings(file, section, {{std::string(key), std::string(value)}});
}

bool IniWriteInteger(const std::string& file, std::string_view section, std::string_view key,
                     int32_t value) {
  return IniWriteString(file, section, key, std::to_string(value));
}

bool IniWriteBool(const std::string& file, std::string_view section, std::string_view key,
                  bool value) {
  return IniWriteString(file, section, key, value ? "1" : "0");
}

TEnvironment ProcessEnvironment() {
  return [](const std::string& name) -> std::optional<std::string> {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  };
}

std::string RegistryReadString(TRegistryRoot root, std::string_view keyPath,
                               std::string_view valueName, std::string_view defaultValue,
                               const TEnvironment& environment) {
  if (root != TRegistryRoot::CurrentUser || !SameIniName(keyPath, kShellFoldersKey))
    return std::string(defaultValue);
  // A relative folder would move with the current directory, which the directory chooser
  // changes; such a variable counts as unset.
  std::string folder;
  if (const auto config = environment("XDG_CONFIG_HOME"); config && config->starts_with('/')) {
    folder = *config;
  } else if (const auto home = environment("HOME"); home && home->starts_with('/')) {
    folder = *home + (home->ends_with('/') ? ".config" : "/.config");
  } else {
    return std::string(defaultValue);
  }
  return SameIniName(valueName, kAppDataValue) ? folder : std::string();
}

}  // namespace fendrel
