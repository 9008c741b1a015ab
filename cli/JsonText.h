// Byte strings (paths, backup names, reasons) as JSON strings for fendrel-cli's --json output.
#pragma once

#include <string>
#include <string_view>

namespace fendrel::cli {

// `bytes` as a quoted JSON string. Well-formed UTF-8 is written as it is; '"' and '\' are
// escaped, control bytes below 0x20 become \u00xx; every byte that does not belong to a
// well-formed UTF-8 character becomes \udcxx (U+DC80..U+DCFF, the byte's value plus 0xDC00),
// so that a reader decoding with surrogate escapes, such as Python's
// s.encode("utf-8", "surrogateescape"), gets back the exact bytes.
std::string JsonString(std::string_view bytes);

}  // namespace fendrel::cli
