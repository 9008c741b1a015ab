#include "DryRun.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Interrupt.h"
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

int64_t DiffRun(const TTaskList& tasks, const std::string& dir) {
  THunkOptions options;
  options.Context = 3;
  int64_t failed = 0;
  for (const auto& file : TasksByFile(tasks)) {
    if (Interrupted()) break;
    const TFilePreview preview = PreviewFile(file, options);
    const std::string& path = file.front()->FileName;
    if (preview.Failed()) {
      ++failed;
      std::fprintf(stderr, "fendrel-cli: %s: %s\n", path.c_str(), preview.Reason.c_str());
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
      Print(UnifiedDiff("a/" + relative, "b/" + relative, preview.Lines));
    }
  }
  std::fflush(stdout);
  return failed;
}

}  // namespace fendrel::cli
