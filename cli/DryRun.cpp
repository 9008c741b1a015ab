#include "DryRun.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "Interrupt.h"
#include "TerminalText.h"
#include "engine/PreviewRun.h"
#include "engine/StatusLines.h"
#include "engine/UnifiedDiff.h"
#include "regexpr/RegExpr.h"
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

namespace {

// The files of a dry run, previewed on several threads and handed out in their order: a dry run
// only reads, and reading many small files waits on the system far more than it computes. Each
// thread takes a few neighbouring files at a time, which mostly share their folder. At most
// kAhead files wait to be reported, however slow the reports are taken.
class TPreviewsInOrder {
 public:
  static constexpr std::size_t kAhead = 256;
  static constexpr std::size_t kTaken = 16;

  explicit TPreviewsInOrder(const std::vector<std::vector<const TSnRTast*>>& files)
      : FFiles(files), FPreviews(files.size()) {
    FCountOnly.CountOnly = true;
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    for (std::size_t i = 0; i < std::min(threads, files.size()); ++i) {
      try {
        FThreads.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        break;  // fewer threads; the reader previews what none took
      }
    }
  }
  ~TPreviewsInOrder() {
    {
      const std::lock_guard<std::mutex> lock(FLock);
      FStopped = true;
    }
    FRoom.notify_all();
    for (std::thread& thread : FThreads)
      thread.join();
  }

  // The preview of file `index`, nullopt when an interrupt came first; asked in order.
  std::optional<TFilePreview> Take(std::size_t index) {
    std::unique_lock<std::mutex> lock(FLock);
    FTaken = index;
    if (FThreads.empty()) {
      lock.unlock();
      return Preview(index, FReaderFolder);
    }
    if (FWaitingForRoom > 0 && FNext < FTaken + kAhead) FRoom.notify_all();
    ++FReaderWaiting;
    FReady.wait(lock, [&] { return FPreviews[index].has_value(); });
    --FReaderWaiting;
    std::optional<TFilePreview> preview = std::move(*FPreviews[index]);
    FPreviews[index].reset();
    return preview;
  }

 private:
  std::optional<TFilePreview> Preview(std::size_t index, TLastFolder& folder) const {
    if (Interrupted()) return std::nullopt;
    // A search that an interrupt ended is no outcome of the file.
    const TSearchStopScope stop([] { return Interrupted(); });
    try {
      TFilePreview preview = PreviewFile(FFiles[index], FCountOnly, &folder);
      if (Interrupted()) return std::nullopt;
      return preview;
    } catch (const std::exception& error) {
      TFilePreview failed;
      failed.Results.assign(FFiles[index].size(), prOpenFailed);
      failed.Reason = std::string("unexpected error: ") + error.what();
      return failed;
    }
  }

  void Work() {
    TLastFolder folder;
    std::vector<std::optional<TFilePreview>> done;
    for (;;) {
      std::size_t first;
      std::size_t end;
      {
        std::unique_lock<std::mutex> lock(FLock);
        ++FWaitingForRoom;
        FRoom.wait(lock, [&] { return FStopped || FNext < FTaken + kAhead; });
        --FWaitingForRoom;
        if (FStopped || FNext >= FFiles.size()) return;
        first = FNext;
        end = std::min({FNext + kTaken, FTaken + kAhead, FFiles.size()});
        FNext = end;
      }
      done.clear();
      for (std::size_t index = first; index < end; ++index)
        done.push_back(Preview(index, folder));
      bool wanted;
      {
        const std::lock_guard<std::mutex> lock(FLock);
        for (std::size_t index = first; index < end; ++index)
          FPreviews[index] = std::move(done[index - first]);
        wanted = FReaderWaiting > 0;
      }
      if (wanted) FReady.notify_one();
    }
  }

  const std::vector<std::vector<const TSnRTast*>>& FFiles;
  THunkOptions FCountOnly;
  TLastFolder FReaderFolder;
  std::mutex FLock;
  std::condition_variable FReady;  // a preview came
  std::condition_variable FRoom;   // the reader took enough for more to be previewed
  // Per file: empty until previewed; a preview, or nullopt in it for a file an interrupt left.
  std::vector<std::optional<std::optional<TFilePreview>>> FPreviews;  // guarded by FLock
  std::size_t FNext = 0;                                              // guarded by FLock
  std::size_t FTaken = 0;                                             // guarded by FLock
  int FReaderWaiting = 0;                                             // guarded by FLock
  int FWaitingForRoom = 0;                                            // guarded by FLock
  bool FStopped = false;                                              // guarded by FLock
  std::vector<std::thread> FThreads;
};

}  // namespace

int64_t DryRun(const TTaskList& tasks, TStatusSink& sink) {
  const TStatusSend send = [&sink](TStatusKind kind, const std::string& text) {
    sink.SnRStatus(kind, text);
  };
  const TReportSend tell = [&sink](const TTaskReport& report) { sink.TaskReported(report); };
  const std::vector<std::vector<const TSnRTast*>> files = TasksByFile(tasks);
  TPreviewsInOrder previews(files);
  int64_t failed = 0;
  for (std::size_t index = 0; index < files.size(); ++index) {
    const std::vector<const TSnRTast*>& file = files[index];
    const std::optional<TFilePreview> preview = previews.Take(index);
    if (!preview) {
      for (const TSnRTast* task : file) {
        ReportSkipped(*task, send, tell);
        send(TStatusKind::stLine, std::string(kUpdateLine));
      }
      continue;
    }
    for (std::size_t i = 0; i < file.size(); ++i) {
      const int64_t result = preview->Results[i];
      if (result < 0) ++failed;
      ReportTask(*file[i], {result, result < 0 ? preview->Reason : "", ""}, send, tell);
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
  TLastFolder folder;
  const TSearchStopScope stop([] { return Interrupted(); });
  for (const auto& file : TasksByFile(tasks)) {
    if (Interrupted()) break;
    const TFilePreview preview = PreviewFile(file, options, &folder);
    if (Interrupted()) break;
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
