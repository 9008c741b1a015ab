#include "ResultLog.h"

#include <iterator>

#include "DataFileLines.h"
#include "engine/StatusLines.h"
#include "settings/AtomicFile.h"

namespace fendrel {

std::vector<std::string> TResultLog::EntriesToShow(const std::string& statusLine, int32_t logMode) {
  if (logMode <= 0 || statusLine == kUpdateLine) return {};
  return ResultListEntries(statusLine);
}

std::size_t TResultLog::AddStatusLine(const std::string& statusLine) {
  std::vector<std::string> entries = EntriesToShow(statusLine, FLogMode);
  const std::size_t added = entries.size();
  Append(std::move(entries));
  return added;
}

void TResultLog::Append(std::vector<std::string> entries) {
  FEntries.insert(FEntries.end(), std::make_move_iterator(entries.begin()),
                  std::make_move_iterator(entries.end()));
}

bool TResultLog::Save(const std::string& dataDirectory) const {
  return ReplaceFileContent(DataFilePath(dataDirectory, kResultLogFileName),
                            JoinCrLfLines(FEntries));
}

}  // namespace fendrel
