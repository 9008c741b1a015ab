#include "DataFileLines.h"

#include "engine/RunBuilder.h"

namespace fendrel {

std::string JoinCrLfLines(const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }
  return content;
}

std::vector<std::string> SplitLines(std::string_view content) {
  return SplitMemoLines(content.substr(0, content.find('\0')));
}

std::string DataFilePath(const std::string& directory, std::string_view name) {
  std::string path = directory;
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace fendrel
