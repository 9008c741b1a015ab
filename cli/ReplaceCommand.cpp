// fendrel-cli replace: a whole run of the desktop program without its window. The scan and the
// worker are the program's own threads; a printer stands in for the result list. A dry run puts
// the engine's preview in the worker's place.
#include <cstdio>
#include <optional>
#include <string>

#include "CommandLine.h"
#include "Commands.h"
#include "DryRun.h"
#include "HexArgument.h"
#include "Interrupt.h"
#include "ResultPrinter.h"
#include "engine/PatternCheck.h"
#include "engine/RunBuilder.h"
#include "engine/uSearchAndReplaceThread.h"
#include "records/RunJournal.h"
#include "scan/DirWalk.h"
#include "settings/Locations.h"

namespace fendrel::cli {
namespace {

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

// Passes every report on to the printer, records each backup in the run journal (when there is
// one) so that the run can be undone whole, and, when asked, tells on standard error why each
// reported task failed, as "fendrel-cli: PATH: REASON".
class TReportRelay : public TStatusSink {
 public:
  TReportRelay(TStatusSink& printer, bool tellReasons, TRunRecorder& recorder)
      : FPrinter(printer), FTellReasons(tellReasons), FRecorder(recorder) {}

  void SnRStatus(TStatusKind kind, const std::string& text) override {
    FPrinter.SnRStatus(kind, text);
  }

  void TaskReported(const TTaskReport& report) override {
    if (FTellReasons && report.Logged && !report.Reason.empty())
      std::fprintf(stderr, "fendrel-cli: %.*s: %.*s\n", static_cast<int>(report.Path.size()),
                   report.Path.data(), static_cast<int>(report.Reason.size()),
                   report.Reason.data());
    const bool recorded = FRecorder.Error().empty();
    FRecorder.Backup(report.Path, report.Backup);
    if (recorded && !FRecorder.Error().empty())
      std::fprintf(stderr, "fendrel-cli: the run cannot be undone as a whole: %s\n",
                   FRecorder.Error().c_str());
    FPrinter.TaskReported(report);
  }

 private:
  TStatusSink& FPrinter;
  bool FTellReasons;
  TRunRecorder& FRecorder;
};

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
      {nullptr, "--log", true, true},
      {nullptr, "--quiet", false},
      {nullptr, "--json", false},
      {"-n", "--dry-run", false},
      {nullptr, "--diff", false},
      {nullptr, "--follow-links", false},
  });
  static const std::pair<const char*, TLogMode> kLogModes[] = {
      {"none", lmNone}, {"replaced", lmReplacedOnly}, {"all", lmAllFiles}};

  std::string error;
  const auto parsed = ParseArgs(args, kOptions, 4, error);
  if (!parsed) return Usage(error);
  const std::string& dir = parsed->Positional[0];
  const std::string& mask = parsed->Positional[1];
  std::string from = parsed->Positional[2];
  std::string to = parsed->Positional[3];
  const auto walk = WalkOptionsOf(*parsed, error);
  if (!walk) return Usage(error);

  TTaskOptions options;
  options.SearchMode = parsed->Has("--ignore-case") ? smIgnoreCase : smCaseSensitive;
  if (parsed->Has("--regex")) {
    if (parsed->Has("--ignore-case"))
      return Usage("-i does not apply to a regular expression; write (?i) in the pattern");
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
                                                       : TReportFormat::Text;
  options.CreateBackup = !parsed->Has("--no-backup");
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
  if (auto refused = ScanArgumentsError(dir, mask)) return Usage(*refused);

  options.Links = {FullStartPath(dir), walk->FollowLinks};
  std::size_t failedRecoveries = 0;
  const std::vector<std::string> files =
      ScanFiles(dir, mask, parsed->Has("--recursive"), *walk, &failedRecoveries);
  // A file whose interrupted rewrite could not be undone holds neither content whole: a run
  // over it would make that the new backup.
  if (failedRecoveries > 0) {
    std::fprintf(stderr,
                 "fendrel-cli replace: an interrupted rewrite could not be recovered (see above); "
                 "nothing was changed\n");
    return kExitFailed;
  }
  TTaskList tasks;
  if (parsed->Has("--multi-line")) {
    auto built = BuildMultiLineTasks(files, SplitMemoLines(from), SplitMemoLines(to), options);
    if (!built)
      return Usage("a multi-line string joins to at most " + std::to_string(kMaxJoinedLength) +
                   " bytes");
    tasks = std::move(*built);
  } else {
    tasks = BuildSingleLineTasks(files, from.data(), static_cast<int32_t>(from.size()), to.data(),
                                 static_cast<int32_t>(to.size()), options);
  }

  CatchInterrupt();
  if (diff) return DiffRun(tasks, dir) > 0 || Interrupted() ? kExitFailed : kExitOk;
  const auto printer = MakeResultPrinter(format, options.LogMode, PrintLine);
  // The JSON objects carry the reasons themselves, and a quiet run says nothing.
  const bool tellReasons = format == TReportFormat::Text;
  if (parsed->Has("--dry-run")) {
    TRunRecorder nothing(nullptr, kRunReplace, {}, {});
    TReportRelay sink(*printer, tellReasons, nothing);
    const int64_t failed = DryRun(tasks, sink);
    std::fflush(stdout);
    return failed > 0 || Interrupted() ? kExitFailed : kExitOk;
  }
  // Only a run that keeps backups can be undone; the journal lies where the window reads it.
  std::optional<TRunJournal> journal;
  if (options.CreateBackup) journal.emplace(DesktopLocations().DataDirectory);
  TRunRecorder recorder(journal ? &*journal : nullptr, kRunReplace, options.Links.Root,
                        tasks.empty() ? std::string() : ReplaceRunText(mask, *tasks.front()));
  TReportRelay sink(*printer, tellReasons, recorder);
  TSearchAndReplaceThread worker;
  worker.Attach(&sink);
  worker.TaskList().AppendBatch(std::move(tasks));
  worker.Start();
  while (!worker.TaskList().WaitUntilEmpty(std::chrono::milliseconds(100))) {
    if (Interrupted()) break;
  }
  // An interrupted run reports the tasks it did not reach as skipped.
  worker.Terminate();
  worker.WaitFor();
  if (journal && recorder.Number() != 0) journal->Flush();
  std::fflush(stdout);
  return worker.FailedTasks() > 0 || Interrupted() ? kExitFailed : kExitOk;
}

}  // namespace fendrel::cli
