// Gives the regular-expression engine the case mapping of the program's code page: every new
// TRegExpr flips a byte to its other case as the active case table has it, and reads text as
// UTF-8 characters when the code page is UTF-8.
#pragma once

namespace fendrel {

// Call after the case table has been selected (and again if it changes).
void InstallRegExprCaseFlip();

}  // namespace fendrel
