#include "RegExprCaseFlip.h"

#include "platform/CodePage.h"
#include "regexpr/RegExpr.h"

namespace fendrel {

void InstallRegExprCaseFlip() {
  const TCaseMap& map = ActiveCaseMap();
  TCaseFlipTable flip{};
  for (int c = 0; c < 256; ++c)
    flip[c] = map.Upper[c] != c ? map.Upper[c] : map.Lower[c];
  TRegExpr::SetDefaultCaseFlip(flip);
  TRegExpr::SetDefaultUtf8(IsUtf8CaseTable(ActiveCaseTable()));
}

}  // namespace fendrel
