// Selects a code page for the length of a test and puts the UTF-8 one back afterwards.
#pragma once

#include "platform/CodePage.h"

namespace fendrel::test {

class TCodePageScope {
 public:
  explicit TCodePageScope(TCaseTable table) { SelectCaseTable(table); }
  ~TCodePageScope() { SelectCaseTable(TCaseTable::Ascii); }
  TCodePageScope(const TCodePageScope&) = delete;
  TCodePageScope& operator=(const TCodePageScope&) = delete;
};

}  // namespace fendrel::test
