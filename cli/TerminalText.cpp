#include "TerminalText.h"

#include <unistd.h>

#include <cstdlib>
#include <mutex>

namespace fendrel::cli {
namespace {

// The length of the valid UTF-8 character at the start of `text`, or 0.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  const std::size_t length = lead < 0xC2   ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  // Overlong forms, surrogates and code points past U+10FFFF begin no valid character.
  if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F) ||
      (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F))
    return 0;
  return length;
}

void AppendHex(std::string& out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 15];
}

}  // namespace

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += text[i++];
      continue;
    }
    static constexpr std::string_view kNamed = "\n\t\r\x1B", kLetters = "ntre";
    if (const std::size_t named = kNamed.find(text[i]); named != std::string_view::npos) {
      out += '\\';
      out += kLetters[named];
      ++i;
      continue;
    }
    const std::size_t length = byte < 0x80 ? 0 : Utf8Length(text.substr(i));
    // U+0080 to U+009F are C2 80 to C2 9F: a terminal may act on them as on ESC sequences.
    if (length == 0 || (byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)) {
      for (std::size_t end = i + (length == 0 ? 1 : length); i < end; ++i)
        AppendHex(out, static_cast<unsigned char>(text[i]));
      continue;
    }
    out.append(text.substr(i, length));
    i += length;
  }
  return out;
}

TShownPath::TShownPath(std::string typedFolder, std::string fullFolder)
    : FFull(std::move(fullFolder)) {
  // Below an absolute folder the full paths are shown as they are.
  if (typedFolder.empty() || typedFolder.front() == '/') return;
  while (typedFolder.size() > 1 && typedFolder.back() == '/')
    typedFolder.pop_back();
  FTyped = std::move(typedFolder);
}

std::string TShownPath::operator()(std::string_view fullPath) const {
  if (FTyped.empty() || !fullPath.starts_with(FFull)) return EscapeControls(fullPath);
  std::string_view below = fullPath.substr(FFull.size());
  if (!below.empty() && below.front() != '/' && FFull != "/") return EscapeControls(fullPath);
  while (!below.empty() && below.front() == '/')
    below.remove_prefix(1);
  return EscapeControls(FTyped + "/" + std::string(below));
}

namespace {

std::mutex& OutputLock() {
  static std::mutex lock;
  return lock;
}
bool progressShown = false;  // guarded by OutputLock()

void ClearProgressLocked() {
  if (!progressShown) return;
  std::fputs("\r\x1B[K", stderr);
  progressShown = false;
}

}  // namespace

void WriteLine(std::FILE* stream, std::string_view line) {
  const std::lock_guard<std::mutex> lock(OutputLock());
  ClearProgressLocked();
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
}

void WriteProgressLine(std::string_view line) {
  const std::lock_guard<std::mutex> lock(OutputLock());
  std::fflush(stdout);
  std::fputc('\r', stderr);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputs("\x1B[K", stderr);
  progressShown = true;
}

void ClearProgressLine() {
  const std::lock_guard<std::mutex> lock(OutputLock());
  ClearProgressLocked();
}

bool UseColour(std::string_view when, std::FILE* stream) {
  if (when == "always") return true;
  if (when == "never") return false;
  const char* noColour = std::getenv("NO_COLOR");
  return (noColour == nullptr || *noColour == '\0') && ::isatty(::fileno(stream)) == 1;
}

}  // namespace fendrel::cli
