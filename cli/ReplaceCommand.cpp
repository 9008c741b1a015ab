// fendrel-cli replace: a whole run of the desktop program without its window. The scan and the
// worker are the program's own threads; a printer stands in for the result list. A dry run puts
// the engine's preview in the worker's place.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <future>
#include <optional>
#include <string>

#include "CommandLine.h"
#include "Commands.h"
#include "DryRun.h"
#include "HexArgument.h"
#include "Interrupt.h"
#include "ResultPrinter.h"
#include "StandardInput.h"
#include "TerminalText.h"
#include "engine/PatternCheck.h"
#include "engine/ProgressText.h"
#include "engine/RunBuilder.h"
#include "engine/RunProgress.h"
#include "engine/uSearchAndReplaceThread.h"
#include "i18n/LanguageTable.h"
#include "records/RunJournal.h"
#include "scan/DirWalk.h"
#include "settings/Locations.h"

namespace fendrel::cli {
namespace {

void PrintLine(const std::string& line) {
  WriteLine(stdout, line);
}

// Passes every report on to the printer, counts it, records each backup in the run journal
// (when there is one) so that the run can be undone whole, and, when asked, tells on standard
// error why each reported task failed, as "fendrel-cli: PATH: REASON".
class TReportRelay : public TStatusSink {
 public:
  TReportRelay(TStatusSink& printer, bool tellReasons, TRunRecorder& recorder, TShownPath shown)
      : FPrinter(printer),
        FTellReasons(tellReasons),
        FRecorder(recorder),
        FShown(std::move(shown)) {}

  void SnRStatus(TStatusKind kind, const std::string& text) override {
    FPrinter.SnRStatus(kind, text);
  }

  void TaskReported(const TTaskReport& report) override {
    if (FTellReasons && report.Logged && !report.Reason.empty())
      WriteLine(stderr,
                "fendrel-cli: " + FShown(report.Path) + ": " + EscapeControls(report.Reason));
    const bool recorded = FRecorder.Error().empty();
    FRecorder.Backup(report.Path, report.Backup);
    if (recorded && !FRecorder.Error().empty())
      WriteLine(stderr, "fendrel-cli: the run cannot be undone as a whole: " +
                            EscapeControls(FRecorder.Error()));
    FTally.Count(report);
    FPrinter.TaskReported(report);
    FDone.fetch_add(1, std::memory_order_relaxed);
  }

  const TRunTally& Tally() const { return FTally; }
  // Asked from another thread than the worker's, for the progress.
  uint64_t TasksDone() const { return FDone.load(std::memory_order_relaxed); }

 private:
  TStatusSink& FPrinter;
  bool FTellReasons;
  TRunRecorder& FRecorder;
  TShownPath FShown;
  TRunTally FTally;
  std::atomic<uint64_t> FDone = 0;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The progress line on standard error while a run goes on, for a reader at a terminal: from a
// second on, "3 of 10 tasks, 1.2 of 5.0 MB, 0.6 MB/s, 0:07 left", written over itself and
// cleared at the end. Nothing in a pipe or a file.
class TProgressLine {
 public:
  explicit TProgressLine(const TTaskList& tasks) : FShown(::isatty(STDERR_FILENO) == 1) {
    if (!FShown) return;
    FProgress.Add(tasks.size(), 0);
    std::vector<std::string> names;
    names.reserve(tasks.size());
    for (const auto& task : tasks)
      names.push_back(task->FileName);
    // Examining many files takes a while: the sizes join the line once they are known.
    FSizes =
        std::async(std::launch::async, [names = std::move(names)] { return TaskFileSizes(names); });
  }
  ~TProgressLine() { ClearProgressLine(); }

  void Show(uint64_t done, double seconds) {
    if (!FShown || seconds < 1) return;
    if (FSizes.valid() && FSizes.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
      FProgress.SetSizes(FProgress.Run(), 0, FSizes.get());
    const std::string line = ProgressText(done, FProgress.TaskCount(), FProgress.BytesOfFirst(done),
                                          FProgress.TotalBytes(), seconds, kEnglish);
    WriteProgressLine(line);
  }

 private:
  bool FShown;
  TRunProgress FProgress;
  std::future<std::vector<uint64_t>> FSizes;
};

// `text` as a regular expression that matches it literally: every ASCII punctuation character
// behind a backslash.
std::string QuotedPattern(std::string_view text) {
  std::string quoted;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    // Line breaks stay as they are: in multi-line mode they divide the lines.
    if (byte > 0x20 && byte < 0x7F && !std::isalnum(byte)) quoted += '\\';
    quoted += c;
  }
  return quoted;
}

// `text` as a replacement template that gives it literally.
std::string QuotedTemplate(std::string_view text) {
  std::string quoted;
  for (const char c : text) {
    if (c == '\\' || c == '$') quoted += '\\';
    quoted += c;
  }
  return quoted;
}

// `pattern` inside a group of its own, so that "\b" on both sides applies to every alternative,
// and `replacement` with each group reference moved on by one to keep naming the same group.
void WrapAsWord(std::string& pattern, std::string& replacement) {
  pattern = "\\b(" + pattern + ")\\b";
  std::string moved;
  for (std::size_t i = 0; i < replacement.size(); ++i) {
    const char c = replacement[i];
    const bool digit =
        i + 1 < replacement.size() && std::isdigit(static_cast<unsigned char>(replacement[i + 1]));
    const std::size_t close = replacement.find('}', i);
    if (c == '\\' && i + 1 < replacement.size()) {
      moved += replacement.substr(i++, 2);
    } else if (c == '$' && digit) {
      moved += "${" + std::to_string(replacement[++i] - '0' + 1) + "}";
    } else if (c == '$' && replacement.compare(i + 1, 1, "{") == 0 && close != std::string::npos &&
               close > i + 2 && replacement.find_first_not_of("0123456789", i + 2) == close) {
      moved +=
          "${" + std::to_string(std::stoul(replacement.substr(i + 2, close - i - 2)) + 1) + "}";
      i = close;
    } else {
      moved += c;
    }
  }
  replacement = std::move(moved);
}

// Whether the shell seems to have expanded an unquoted MASK into file names: more arguments than
// asked for, and the one in MASK's place names a file.
bool MaskLooksExpanded(const std::vector<std::string>& positional) {
  struct stat st;
  return positional.size() > 4 && ::stat(positional[1].c_str(), &st) == 0;
}

int Usage(const std::string& error) {
  std::fprintf(stderr, "fendrel-cli replace: %s\nTry 'fendrel-cli --help'.\n", error.c_str());
  return kExitUsage;
}

}  // namespace

int ReplaceCommand(const std::vector<std::string>& args) {
  static const std::vector<TOptionSpec> kOptions = WithExcludeOptions({
      {"-r", "--recursive", false},
      {"-i", "--ignore-case", false},
      {"-e", "--regex", false},
      {nullptr, "--hex", false},
      {nullptr, "--multi-line", false},
      {nullptr, "--no-backup", false},
      {nullptr, "--keep-mtime", false},
      {nullptr, "--log", true},
      {"-w", "--word", false},
      {nullptr, "--color", true},
      {nullptr, "--quiet", false},
      {nullptr, "--json", false},
      {"-n", "--dry-run", false},
      {nullptr, "--diff", false},
      {nullptr, "--follow-links", false},
      {nullptr, "--files-from", true},
      {"-0", "--null", false},
  });
  static const std::pair<const char*, TLogMode> kLogModes[] = {
      {"none", lmNone}, {"replaced", lmReplacedOnly}, {"all", lmAllFiles}};

  std::string error;
  const auto parsed = ParseArgs(args, kOptions, kAnyCount, error);
  if (!parsed) return Usage(error);
  // The files come from DIR and MASK, from a list, or, for a filter, standard input ("-").
  const std::vector<std::string>& positional = parsed->Positional;
  const bool fromList = parsed->Has("--files-from");
  const bool filter = !fromList && !positional.empty() && positional[0] == "-";
  const std::size_t wanted = fromList ? 2 : filter ? 3 : 4;
  if (positional.size() != wanted) {
    error = "expected " + std::to_string(wanted) + " arguments, got " +
            std::to_string(positional.size());
    if (wanted == 4 && MaskLooksExpanded(positional))
      error += "; the shell may have put file names in MASK's place: quote it, as in '*.txt'";
    return Usage(error);
  }
  if (filter && (parsed->Has("--recursive") || parsed->Has("--dry-run") || parsed->Has("--json") ||
                 parsed->Has("--diff")))
    return Usage("-r, -n, --diff and --json do not apply to standard input");
  if (parsed->Has("--null") && !fromList) return Usage("-0 only with --files-from");
  const std::string dir = fromList || filter ? "." : positional[0];
  const std::string mask = fromList || filter ? "" : positional[1];
  std::string from = positional[wanted - 2];
  std::string to = positional[wanted - 1];
  const auto walk = WalkOptionsOf(*parsed, error);
  if (!walk) return Usage(error);

  TTaskOptions options;
  options.SearchMode = parsed->Has("--ignore-case") ? smIgnoreCase : smCaseSensitive;
  const bool word = parsed->Has("--word");
  if (word && parsed->Has("--hex")) return Usage("-w does not apply to --hex");
  if (parsed->Has("--regex") || word) {
    // A whole word is one between \b boundaries: the search becomes a pattern, and the new
    // string a template that gives it as it stands.
    if (!parsed->Has("--regex")) {
      from = QuotedPattern(from);
      to = QuotedTemplate(to);
      if (word) from = "\\b" + from + "\\b";
    } else if (word) {
      WrapAsWord(from, to);
    }
    // -i is "(?i)", in multi-line mode on the first line, so on all of them.
    if (parsed->Has("--ignore-case")) from = "(?i)" + from;
    options.SearchMode = smRegExpr;
  }
  if (parsed->Has("--quiet") && parsed->Has("--json"))
    return Usage("--quiet and --json exclude each other");
  const bool diff = parsed->Has("--diff");
  if (diff && !parsed->Has("--dry-run")) return Usage("--diff only with --dry-run");
  // The listing holds every file that would change and nothing else.
  if (diff && (parsed->Has("--log") || parsed->Has("--quiet") || parsed->Has("--json")))
    return Usage("--diff takes none of --log, --quiet and --json");
  const TReportFormat format = parsed->Has("--quiet")  ? TReportFormat::Quiet
                               : parsed->Has("--json") ? TReportFormat::Json
                               : parsed->Has("--log")  ? TReportFormat::Text
                                                       : TReportFormat::Short;
  // The short lines name changed and failed files only: the others need not be reported at all.
  if (format == TReportFormat::Short) options.LogMode = lmReplacedOnly;
  const std::string colour = parsed->Has("--color") ? parsed->Options.at("--color") : "auto";
  if (colour != "auto" && colour != "always" && colour != "never")
    return Usage("--color must be auto, always or never");
  options.CreateBackup = !parsed->Has("--no-backup");
  options.KeepModificationTime = parsed->Has("--keep-mtime");
  if (parsed->Has("--log")) {
    const std::string& name = parsed->Options.at("--log");
    const auto* mode = std::find_if(std::begin(kLogModes), std::end(kLogModes),
                                    [&name](const auto& entry) { return name == entry.first; });
    if (mode == std::end(kLogModes)) return Usage("--log must be none, replaced or all");
    options.LogMode = mode->second;
  }
  options.HexInput = parsed->Has("--hex");
  if (options.HexInput) {
    for (auto [name, value] : {std::pair{"OLD", &from}, std::pair{"NEW", &to}}) {
      auto bytes = HexArgumentBytes(name, *value, error);
      if (!bytes) return Usage("--hex: " + error);
      *value = std::move(*bytes);
    }
  }
  if (from.empty()) return Usage("OLD must not be empty");
  if (options.SearchMode == smRegExpr) {
    // Compiled once before any file is touched: an invalid pattern would otherwise fail each
    // file alike, and a run without files not at all.
    const auto refused = parsed->Has("--multi-line") ? MultiLinePatternError(SplitMemoLines(from))
                                                     : PatternError(from);
    if (refused) {
      std::fprintf(stderr, "fendrel-cli replace: %s\n", refused->c_str());
      return kExitUsage;
    }
  }
  const auto buildTasks = [&](const std::vector<std::string>& files) -> std::optional<TTaskList> {
    if (parsed->Has("--multi-line"))
      return BuildMultiLineTasks(files, SplitMemoLines(from), SplitMemoLines(to), options);
    return BuildSingleLineTasks(files, from.data(), static_cast<int32_t>(from.size()), to.data(),
                                static_cast<int32_t>(to.size()), options);
  };
  const std::string tooLong =
      "a multi-line string joins to at most " + std::to_string(kMaxJoinedLength) + " bytes";
  if (filter) {
    std::optional<TTaskList> tasks = buildTasks({"-"});
    return tasks ? FilterStandardInput(*tasks) : Usage(tooLong);
  }
  if (!fromList) {
    if (auto refused = ScanArgumentsError(dir, mask)) return Usage(*refused);
  }

  options.Links = {FullStartPath(dir), walk->FollowLinks};
  TScanShortfall shortfall;
  std::vector<std::string> files;
  if (fromList) {
    auto listed = ReadFileList(parsed->Options.at("--files-from"), parsed->Has("--null"), error);
    if (!listed) {
      std::fprintf(stderr, "fendrel-cli replace: %s\n", error.c_str());
      return kExitFailed;
    }
    files = std::move(*listed);
  } else {
    files = ScanFiles(dir, mask, parsed->Has("--recursive"), *walk, &shortfall);
  }
  // A file whose interrupted rewrite could not be undone holds neither content whole: a run
  // over it would make that the new backup.
  if (shortfall.FailedRecoveries > 0) {
    std::fprintf(stderr,
                 "fendrel-cli replace: an interrupted rewrite could not be recovered (see above); "
                 "nothing was changed\n");
    return kExitFailed;
  }
  // A mask that lists nothing is most often a typing slip: it must not pass for a run that found
  // nothing to change.
  if (files.empty()) {
    if (fromList)
      std::fprintf(stderr, "fendrel-cli replace: the list names no file\n");
    else
      std::fprintf(stderr, "fendrel-cli replace: no file in %s matches %s\n",
                   EscapeControls(dir).c_str(), EscapeControls(mask).c_str());
    return kExitFailed;
  }
  // The files of a folder that could not be read are not in the run, which the status says as
  // it says a failed file; the run still goes over what was listed.
  const bool unlisted = shortfall.UnreadableFolders > 0;
  // Opened after the listing, for as long as the run's tasks live.
  options.Links.Opened = OpenRoot(options.Links.Root);
  std::optional<TTaskList> built = buildTasks(files);
  if (!built) return Usage(tooLong);
  TTaskList tasks = std::move(*built);

  CatchInterrupt();
  if (diff)
    return DiffRun(tasks, dir, UseColour(colour, stdout)) > 0 || Interrupted() || unlisted
               ? kExitFailed
               : kExitOk;
  const auto started = std::chrono::steady_clock::now();
  const TShownPath shown(dir, options.Links.Root);
  const auto printer = MakeResultPrinter(format, options.LogMode, PrintLine, shown);
  // The JSON objects carry the reasons themselves; even a quiet run tells them.
  const bool tellReasons = format != TReportFormat::Json;
  const bool dryRun = parsed->Has("--dry-run");
  // The closing summary is for a reader at a terminal, not for whatever reads a pipe.
  const auto summarise = [&](const TReportRelay& relay) {
    if (format != TReportFormat::Short || ::isatty(STDOUT_FILENO) != 1) return;
    PrintLine(RunSummary(relay.Tally(), Seconds(started), dryRun));
  };
  if (dryRun) {
    TRunRecorder nothing(nullptr, kRunReplace, {}, {});
    TReportRelay sink(*printer, tellReasons, nothing, shown);
    int64_t failed = 0;
    {
      // The dry run goes on beside, so that its progress can be shown as a run's.
      TProgressLine progress(tasks);
      auto running = std::async(std::launch::async, [&] { return DryRun(tasks, sink); });
      while (running.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
        progress.Show(sink.TasksDone(), Seconds(started));
      failed = running.get();
    }
    summarise(sink);
    std::fflush(stdout);
    return failed > 0 || Interrupted() || unlisted ? kExitFailed : kExitOk;
  }
  // Only a run that keeps backups can be undone; the journal lies where the window reads it.
  std::optional<TRunJournal> journal;
  if (options.CreateBackup) journal.emplace(DesktopLocations().DataDirectory);
  TRunRecorder recorder(journal ? &*journal : nullptr, kRunReplace, options.Links.Root,
                        tasks.empty() ? std::string() : ReplaceRunText(mask, *tasks.front()));
  TReportRelay sink(*printer, tellReasons, recorder, shown);
  TSearchAndReplaceThread worker;
  worker.Attach(&sink);
  {
    TProgressLine progress(tasks);
    worker.TaskList().AppendBatch(std::move(tasks));
    worker.Start();
    // An interrupt is looked for every 20 ms, so that the search in hand stops well within
    // 100 ms; the progress line is written every fifth time.
    for (int polls = 1; !worker.TaskList().WaitUntilEmpty(std::chrono::milliseconds(20)); ++polls) {
      if (Interrupted()) break;
      if (polls % 5 == 0) progress.Show(sink.TasksDone(), Seconds(started));
    }
  }
  // An interrupted run reports the tasks it did not reach as skipped.
  worker.Terminate();
  worker.WaitFor();
  if (journal && recorder.Number() != 0) journal->Flush();
  summarise(sink);
  std::fflush(stdout);
  return worker.FailedTasks() > 0 || Interrupted() || unlisted ? kExitFailed : kExitOk;
}

}  // namespace fendrel::cli
