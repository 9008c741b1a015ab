#include "RecoveryReport.h"

#include <QStringList>
#include <algorithm>

#include "ui/editors/UiText.h"

namespace fendrel {

std::vector<std::string> RecoveryEntries(const std::vector<TRecovery>& recoveries) {
  std::vector<std::string> entries;
  entries.reserve(recoveries.size());
  for (const TRecovery& recovery : recoveries)
    entries.push_back(recovery.File + ": " + (recovery.Failed ? "FAILED: " : "") + recovery.Text);
  return entries;
}

QString RecoverySummary(const std::vector<TRecovery>& recoveries, int32_t language) {
  const auto failed = std::count_if(recoveries.begin(), recoveries.end(),
                                    [](const TRecovery& recovery) { return recovery.Failed; });
  const auto recovered = static_cast<std::ptrdiff_t>(recoveries.size()) - failed;
  QStringList parts;
  if (recovered > 0) {
    parts << UiText(recovered == 1 ? TTextId::RecoveredOne : TTextId::RecoveredMany, language,
                    {QString::number(recovered)});
  }
  if (failed > 0) {
    parts << UiText(failed == 1 ? TTextId::NotRecoveredOne : TTextId::NotRecoveredMany, language,
                    {QString::number(failed)});
  }
  return parts.join(QStringLiteral("; "));
}

}  // namespace fendrel
