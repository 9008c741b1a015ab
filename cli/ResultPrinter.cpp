#include "ResultPrinter.h"

#include <cstdio>

#include "JsonText.h"
#include "engine/StatusLines.h"

namespace fendrel::cli {
namespace {

std::string Counted(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A line per file that changed or failed.
class TShortPrinter : public TStatusSink {
 public:
  TShortPrinter(TLineWriter write, TShownPath shown)
      : FWrite(std::move(write)), FShown(std::move(shown)) {}

  void SnRStatus(TStatusKind, const std::string&) override {}

  void TaskReported(const TTaskReport& report) override {
    if (report.Skipped)
      FWrite(FShown(report.Path) + ": SKIPPED");
    else if (report.Result < 0)
      FWrite(FShown(report.Path) + ": FAILED");
    else if (report.Result > 0)
      FWrite(FShown(report.Path) + ": " + Counted(report.Result, "replacement", "replacements"));
  }

 private:
  TLineWriter FWrite;
  TShownPath FShown;
};

// The status lines as the result list shows them.
class TTextPrinter : public TStatusSink {
 public:
  TTextPrinter(TLogMode logMode, TLineWriter write, TShownPath shown)
      : FLogMode(logMode), FWrite(std::move(write)), FShown(std::move(shown)) {}

  void SnRStatus(TStatusKind kind, const std::string& text) override {
    if (FLogMode != lmNone && kind == TStatusKind::stBackupFile) FWrite("backup: " + FShown(text));
  }

  void TaskReported(const TTaskReport& report) override {
    if (FLogMode == lmNone || !report.Logged) return;
    FWrite(FShown(report.Path));
    for (const std::string& entry : ResultListEntries(std::string(report.Line)))
      FWrite(EscapeControls(entry));
    FWrite("");
  }

 private:
  TLogMode FLogMode;
  TLineWriter FWrite;
  TShownPath FShown;
};

// One object per reported task, made from its typed report: the path in full, whatever its
// length.
class TJsonPrinter : public TStatusSink {
 public:
  TJsonPrinter(TLogMode logMode, TLineWriter write) : FLogMode(logMode), FWrite(std::move(write)) {}

  void SnRStatus(TStatusKind, const std::string&) override {}

  void TaskReported(const TTaskReport& report) override {
    if (FLogMode == lmNone || !report.Logged) return;
    std::string json = "{\"path\":" + JsonString(report.Path);
    if (report.Skipped)
      json += ",\"skipped\":true";
    else if (report.Result >= 0)
      json += ",\"count\":" + std::to_string(report.Result);
    else
      json += ",\"reason\":" + JsonString(report.Reason.empty() ? "failed" : report.Reason);
    if (!report.Backup.empty()) json += ",\"backup\":" + JsonString(report.Backup);
    FWrite(json + "}");
  }

 private:
  TLogMode FLogMode;
  TLineWriter FWrite;
};

class TQuietPrinter : public TStatusSink {
 public:
  void SnRStatus(TStatusKind, const std::string&) override {}
};

}  // namespace

void TRunTally::Count(const TTaskReport& report) {
  if (report.Skipped) {
    ++Skipped;
  } else if (report.Result < 0) {
    ++Failed;
  } else if (report.Result > 0) {
    ++Changed;
    Replacements += report.Result;
  }
}

std::string RunSummary(const TRunTally& tally, double seconds, bool dryRun) {
  std::string summary = Counted(tally.Changed, "file", "files") +
                        (dryRun ? " would change, " : " changed, ") +
                        Counted(tally.Replacements, "replacement", "replacements");
  if (tally.Failed > 0) summary += ", " + std::to_string(tally.Failed) + " failed";
  if (tally.Skipped > 0) summary += ", " + std::to_string(tally.Skipped) + " skipped";
  char time[32];
  std::snprintf(time, sizeof time, ", %.1f s", seconds);
  return summary + time;
}

std::unique_ptr<TStatusSink> MakeResultPrinter(TReportFormat format, TLogMode logMode,
                                               TLineWriter write, TShownPath shown) {
  switch (format) {
    case TReportFormat::Short:
      return std::make_unique<TShortPrinter>(std::move(write), std::move(shown));
    case TReportFormat::Text:
      return std::make_unique<TTextPrinter>(logMode, std::move(write), std::move(shown));
    case TReportFormat::Json:
      return std::make_unique<TJsonPrinter>(logMode, std::move(write));
    case TReportFormat::Quiet:
      break;
  }
  return std::make_unique<TQuietPrinter>();
}

}  // namespace fendrel::cli
