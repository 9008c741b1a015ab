#include "DryRun.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Interrupt.h"
#include "TerminalText.h"
#include "engine/PreviewRun.h"
#include "engine/StatusLines.h"
#include "engine/UnifiedDiff.h"
#include "scan/DirWalk.h"

namespace fendrel::cli {
namespace {

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

// `file` as the scan delivered it (the start directory in full form, then the path below it),
// relative to `dir`.
std::string PathBelow(const std::string& file, const std::string& dir) {
  std::string base = FullStartPath(dir);
  if (base != "/") base += '/';
  return file.starts_with(base) ? file.substr(base.size()) : file;
}

bool HoldsZeroByte(const TFilePreview& preview) {
  return preview.Binary ||
         std::any_of(preview.Lines.Hunks.begin(), preview.Lines.Hunks.end(),
                     [](const THunk& hunk) { return hunk.New.find('\0') != std::string::npos; });
}

}  // namespace

int64_t DryRun(const TTaskList& tasks, TStatusSink& sink) {
  const TStatusSend send = [&sink](TStatusKind kind, const std::string& text) {
    sink.SnRStatus(kind, text);
  };
  const TReportSend tell = [&sink](const TTaskReport& report) { sink.TaskReported(report); };
  THunkOptions countOnly;
  countOnly.CountOnly = true;
  int64_t failed = 0;
  for (const auto& file : TasksByFile(tasks)) {
    if (Interrupted()) {
      for (const TSnRTast* task : file) {
        ReportSkipped(*task, send, tell);
        send(TStatusKind::stLine, std::string(kUpdateLine));
      }
      continue;
    }
    const TFilePreview preview = PreviewFile(file, countOnly);
    for (std::size_t i = 0; i < file.size(); ++i) {
      const int64_t result = preview.Results[i];
      if (result < 0) ++failed;
      ReportTask(*file[i], {result, result < 0 ? preview.Reason : "", ""}, send, tell);
      send(TStatusKind::stLine, std::string(kUpdateLine));
    }
  }
  return failed;
}

// The listing's lines in the colours of a terminal: file names bold, hunk heads cyan, removed
// lines red, added lines green.
std::string Coloured(const std::string& listing) {
  std::string out;
  std::size_t start = 0;
  while (start < listing.size()) {
    std::size_t end = listing.find('\n', start);
    end = end == std::string::npos ? listing.size() : end + 1;
    const std::string_view line(listing.data() + start, end - start);
    const char* colour = line.starts_with("--- ") || line.starts_with("+++ ") ? "\x1B[1m"
                         : line.starts_with("@@")                             ? "\x1B[36m"
                         : line.starts_with("-")                              ? "\x1B[31m"
                         : line.starts_with("+")                              ? "\x1B[32m"
                                                                              : nullptr;
    if (colour == nullptr) {
      out += line;
    } else {
      const bool broken = line.ends_with('\n');
      out += colour;
      out += line.substr(0, line.size() - broken);
      out += "\x1B[0m";
      if (broken) out += '\n';
    }
    start = end;
  }
  return out;
}

int64_t DiffRun(const TTaskList& tasks, const std::string& dir, bool colour) {
  THunkOptions options;
  options.Context = 3;
  int64_t failed = 0;
  for (const auto& file : TasksByFile(tasks)) {
    if (Interrupted()) break;
    const TFilePreview preview = PreviewFile(file, options);
    const std::string& path = file.front()->FileName;
    if (preview.Failed()) {
      ++failed;
      std::fprintf(stderr, "fendrel-cli: %s: %s\n", EscapeControls(path).c_str(),
                   EscapeControls(preview.Reason).c_str());
    }
    // Replacements that write what they replace change nothing to list.
    if (preview.Lines.Hunks.empty()) continue;
    const std::string relative = PathBelow(path, dir);
    if (HoldsZeroByte(preview)) {
      Print("Binary file " + relative + " would change (" + std::to_string(preview.Replacements()) +
            " replacements)\n");
    } else {
      // The lines of a UTF-16 file are its decoded text, which `patch` cannot apply to the file.
      if (preview.Encoding != TTextEncoding::AsItIs)
        Print(std::string(TextEncodingName(preview.Encoding)) + " file " + relative +
              ", shown as UTF-8:\n");
      const std::string listing = UnifiedDiff("a/" + relative, "b/" + relative, preview.Lines);
      Print(colour ? Coloured(listing) : listing);
    }
  }
  std::fflush(stdout);
  return failed;
}

}  // namespace fendrel::cli
