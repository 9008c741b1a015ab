// Settings access: ini files read and written one setting at a time, and the one registry value
// the program asks for (the user's application-data folder).
//
// Every operation opens, reads or writes, and closes the file by itself, so there is no object
// to keep between calls. A missing file, section or key reads as the caller's default; failures
// are silent except for the result of a write, which callers may ignore. Section and key names
// compare without regard to case; the value rules are those of IniText.h.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "IniText.h"

namespace fendrel {

std::string IniReadString(const std::string& file, std::string_view section, std::string_view key,
                          std::string_view defaultValue);
// The stored text as a decimal 32-bit number (an optional sign, then digits only); the default
// when absent or not such a number.
int32_t IniReadInteger(const std::string& file, std::string_view section, std::string_view key,
                       int32_t defaultValue);
// True exactly when the stored text is "1" ("yes", "true" and "01" are false); the default when
// absent.
bool IniReadBool(const std::string& file, std::string_view section, std::string_view key,
                 bool defaultValue);

// Writes the value, creating the file, the section and the key as needed and keeping every
// other line as it was. A name or value that could not be read back as written (too long, a
// line break, see IniText.h) is refused: nothing is written and the result is false.
bool IniWriteString(const std::string& file, std::string_view section, std::string_view key,
                    std::string_view value);
bool IniWriteInteger(const std::string& file, std::string_view section, std::string_view key,
                     int32_t value);
bool IniWriteBool(const std::string& file, std::string_view section, std::string_view key,
                  bool value);

// Several keys of one section in a single replacement of the file, so that they reach the disk
// together or not at all. Refused as a whole when any entry is refused.
using TIniEntries = std::vector<std::pair<std::string, std::string>>;
bool IniWriteStrings(const std::string& file, std::string_view section, const TIniEntries& entries);

// The decimal reading of IniReadInteger.
std::optional<int32_t> ParseIniInteger(std::string_view text);

// A file read once for many lookups (a history of many entries, a language file applied to a
// window); each lookup gives what the single-call readers above would give.
class TIniReader {
 public:
  explicit TIniReader(const std::string& file);

  // The value under the key, or nothing when the section or key is absent (or the file was).
  std::optional<TIniValue> Lookup(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // The keys of the section as they are spelled in the file, each once, in file order.
  std::vector<std::string> Keys(std::string_view section) const;

 private:
  struct TSection {
    std::vector<std::string> Keys;
    // Raw text after '=' of each key's first line, by folded key.
    std::unordered_map<std::string, std::string> RawValues;
  };
  // Only the first section of each name counts, by folded name.
  std::unordered_map<std::string, TSection> FSections;
};

// Where the program finds the user's folders: the process environment, or a test's own.
using TEnvironment = std::function<std::optional<std::string>(const std::string& name)>;
TEnvironment ProcessEnvironment();

enum class TRegistryRoot { CurrentUser, LocalMachine };

// The key that holds the user's folders, and its value for the application-data folder.
inline constexpr std::string_view kShellFoldersKey = "UserFolders";
inline constexpr std::string_view kAppDataValue = "AppData";

// The one registry value this platform stands in for: under the current user's shell-folders
// key, "AppData" is the user's configuration folder ($XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config when HOME is). Every other key cannot be opened and gives the
// default, and so does this key when neither variable gives a folder; another value name of the
// key gives the empty string.
std::string RegistryReadString(TRegistryRoot root, std::string_view keyPath,
                               std::string_view valueName, std::string_view defaultValue,
                               const TEnvironment& environment);

}  // namespace fendrel
