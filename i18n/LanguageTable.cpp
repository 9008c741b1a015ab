#include "LanguageTable.h"

#include "LanguageEntry.h"
#include "platform/FileAttributes.h"
#include "scan/MailTools.h"
#include "settings/Locations.h"

namespace fendrel {

std::vector<TLanguage> ReadLanguageTable(const std::string& dataDirectory) {
  std::vector<TLanguage> table = {{kGerman, "", "deutsch"}, {kEnglish, "", "english"}};
  TDirStringList files;
  // The file scan's filter: every kind of file, no directory, nothing that is not a file.
  files.ReadDirectory(dataDirectory, std::string(kLanguageFileMask), kFileScanFilter, false, false);
  for (std::size_t i = 0; i < files.Count(); ++i) {
    std::string path = files.GetEntry(static_cast<std::ptrdiff_t>(i), true);
    std::optional<std::string> name = ReadLanguageEntry(path, kGenerelSection, kLanguageNameKey);
    if (name) table.push_back({kLanguageFromFile, std::move(path), std::move(*name)});
  }
  return table;
}

}  // namespace fendrel
