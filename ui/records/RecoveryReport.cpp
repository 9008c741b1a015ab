#include "RecoveryReport.h"

#include <QStringList>
#include <algorithm>

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
  const bool german = language == 0;
  QStringList parts;
  if (recovered > 0) {
    const char* text = german ? (recovered == 1 ? "%1 unterbrochenes Ersetzen wiederhergestellt"
                                                : "%1 unterbrochene Ersetzungen wiederhergestellt")
                              : (recovered == 1 ? "%1 interrupted rewrite recovered"
                                                : "%1 interrupted rewrites recovered");
    parts << QString::fromUtf8(text).arg(recovered);
  }
  if (failed > 0) {
    const char* text =
        german ? (failed == 1 ? "%1 unterbrochenes Ersetzen konnte nicht wiederhergestellt werden"
                              : "%1 unterbrochene Ersetzungen konnten nicht wiederhergestellt "
                                "werden")
               : (failed == 1 ? "%1 interrupted rewrite could not be recovered"
                              : "%1 interrupted rewrites could not be recovered");
    parts << QString::fromUtf8(text).arg(failed);
  }
  return parts.join(QStringLiteral("; "));
}

}  // namespace fendrel
