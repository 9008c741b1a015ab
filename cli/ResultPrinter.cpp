#include "ResultPrinter.h"

#include "JsonText.h"
#include "engine/StatusLines.h"

namespace fendrel::cli {
namespace {

// The status lines as the result list shows them, the path in full.
class TTextPrinter : public TStatusSink {
 public:
  TTextPrinter(TLogMode logMode, TLineWriter write) : FLogMode(logMode), FWrite(std::move(write)) {}

  void SnRStatus(TStatusKind kind, const std::string& text) override {
    if (FLogMode != lmNone && kind == TStatusKind::stBackupFile) FWrite("backup: " + text);
  }

  void TaskReported(const TTaskReport& report) override {
    if (FLogMode == lmNone || !report.Logged) return;
    FWrite(std::string(report.Path));
    for (const std::string& entry : ResultListEntries(std::string(report.Line)))
      FWrite(entry);
    FWrite("");
  }

 private:
  TLogMode FLogMode;
  TLineWriter FWrite;
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

std::unique_ptr<TStatusSink> MakeResultPrinter(TReportFormat format, TLogMode logMode,
                                               TLineWriter write) {
  switch (format) {
    case TReportFormat::Text:
      return std::make_unique<TTextPrinter>(logMode, std::move(write));
    case TReportFormat::Json:
      return std::make_unique<TJsonPrinter>(logMode, std::move(write));
    case TReportFormat::Quiet:
      break;
  }
  return std::make_unique<TQuietPrinter>();
}

}  // namespace fendrel::cli
