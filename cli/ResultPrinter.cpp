#include "ResultPrinter.h"

#include <cctype>
#include <optional>

#include "JsonText.h"
#include "engine/StatusLines.h"

namespace fendrel::cli {
namespace {

class TTextPrinter : public TStatusSink {
 public:
  TTextPrinter(TLogMode logMode, TLineWriter write) : FLogMode(logMode), FWrite(std::move(write)) {}

  void SnRStatus(TStatusKind kind, const std::string& text) override {
    if (FLogMode == lmNone) return;
    if (kind == TStatusKind::stBackupFile) {
      FWrite("backup: " + text);
    } else if (kind == TStatusKind::stLine && text != kUpdateLine) {
      for (const std::string& entry : ResultListEntries(text))
        FWrite(entry);
    }
  }

 private:
  TLogMode FLogMode;
  TLineWriter FWrite;
};

// The worker reports a task as its backup and failure reason, then its lines (file, result,
// empty), then "UPDATE"; a task the log mode leaves out sends only "UPDATE".
class TJsonPrinter : public TStatusSink {
 public:
  TJsonPrinter(TLogMode logMode, TLineWriter write) : FLogMode(logMode), FWrite(std::move(write)) {}

  void SnRStatus(TStatusKind kind, const std::string& text) override {
    if (FLogMode == lmNone) return;
    switch (kind) {
      case TStatusKind::stBackupFile:
        FBackup = text;
        break;
      case TStatusKind::stFailureReason:
        FReason = text;
        break;
      case TStatusKind::stLine:
        if (text == kUpdateLine) {
          FLinesSeen = 0;
          FPath.clear();
          FBackup.clear();
          FReason.clear();
        } else if (FLinesSeen++ == 0) {
          FPath = text;
        } else if (FLinesSeen == 2) {
          FWrite(TaskObject(text));
        }
        break;
    }
  }

 private:
  std::string TaskObject(const std::string& resultLine) const {
    std::string json = "{\"path\":" + JsonString(FPath);
    if (const auto count = ReplacementCount(resultLine)) {
      json += ",\"count\":" + *count;
    } else if (resultLine.ends_with(" : FAILED")) {
      json += ",\"reason\":" + JsonString(FReason.empty() ? "failed" : FReason);
    } else {
      // " : SKIPPED", or a skipped line cut to the receiver's buffer.
      json += ",\"skipped\":true";
    }
    if (!FBackup.empty()) json += ",\"backup\":" + JsonString(FBackup);
    return json + "}";
  }

  // N of a line ending in " : N replacements".
  static std::optional<std::string> ReplacementCount(const std::string& line) {
    constexpr std::string_view kSuffix = " replacements";
    if (!line.ends_with(kSuffix)) return std::nullopt;
    const std::size_t end = line.size() - kSuffix.size();
    std::size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(line[begin - 1])))
      --begin;
    if (begin == end || begin < 3 || line.compare(begin - 3, 3, " : ") != 0) return std::nullopt;
    return line.substr(begin, end - begin);
  }

  TLogMode FLogMode;
  TLineWriter FWrite;
  int FLinesSeen = 0;
  std::string FPath, FBackup, FReason;
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
