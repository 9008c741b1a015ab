// OLD and NEW given with --hex. The desktop editors drop every character that is not a digit and
// an odd last digit while the user types; a command line has no second look, so it takes only
// whole bytes and says what is wrong with anything else.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fendrel::cli {

// The bytes that `text` spells in hexadecimal digits (either case; blanks and line breaks may
// stand between them). nullopt, with `error` set ("OLD has an odd number of hexadecimal digits
// (3)"), when `text` holds another character, an odd number of digits or more bytes than a
// string holds; `name` is the argument's name in the message.
std::optional<std::string> HexArgumentBytes(std::string_view name, std::string_view text,
                                            std::string& error);

}  // namespace fendrel::cli
