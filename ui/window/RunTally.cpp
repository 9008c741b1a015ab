#include "RunTally.h"

#include <utility>

#include "ui/editors/UiText.h"

namespace fendrel {

void TRunTally::Begin(int firstRow) {
  *this = TRunTally();
  FFirstRow = firstRow;
}

void TRunTally::Reported(std::string_view path, int64_t result, bool skipped) {
  ++FReported;
  if (FFiles == 0 || path != FLastPath) {
    ++FFiles;
    FLastPath = path;
    FLastFailed = FLastSkipped = false;
  }
  if (skipped) {
    if (!std::exchange(FLastSkipped, true)) ++FSkipped;
  } else if (result < 0) {
    if (!std::exchange(FLastFailed, true)) ++FFailed;
  } else {
    FReplacements += result;
  }
}

QString TRunTally::Summary(int32_t language) const {
  const QString files = QString::number(FFiles);
  const QString replacements = QString::number(FReplacements);
  const QString failed = QString::number(FFailed);
  if (FSkipped == 0) return UiText(TTextId::RunFinished, language, {files, replacements, failed});
  return UiText(TTextId::RunFinishedSkipped, language,
                {files, replacements, failed, QString::number(FSkipped)});
}

}  // namespace fendrel
