// The matcher of a task, chosen by its search mode: what a run writes, a preview shows and a dry
// run counts comes from this one function.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "SnRTast.h"
#include "Utf16Text.h"
#include "platform/ByteSink.h"

namespace fendrel {

// Writes [begin, end) to `out` with every match of the task replaced (nothing at all for a
// literal search without matches). Returns the number of replacements, or -3 with the reason in
// `why`. Content the task reads as UTF-16 (TextEncodingOf) is decoded a piece at a time, matched
// as UTF-8 text and written in its own encoding again, byte-order mark first (ReplaceUtf16).
// Unchanged bytes of other content are written straight from [begin, end), never from a copy: a
// preview tells them from replacements by where they lie, and so takes a UTF-16 file's decoded text
// to ReplaceDecoded.
int64_t ReplaceMatches(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       std::string& why);

// The same on content read as it is, whatever it begins with: a data region of a file with
// holes, whose start is no file's start.
int64_t ReplaceMatchesAsItIs(TByteSink& out, const char* begin, const char* end,
                             const TSnRTast& task, std::string& why);

// The same on UTF-16 `content` in `encoding`, byte-order mark first, decoded and matched a piece
// at a time (Utf16PieceUnits) with the outcome of decoding it whole: no match is lost where two
// pieces meet, and an invalid unit far on fails the whole, told before any other failure, though
// the new content may have been written in part by then (a rewrite then drops it). The new content
// goes to `out` in `encoding`; in a literal mode a file without matches writes nothing.
int64_t ReplaceUtf16(TByteSink& out, std::string_view content, TTextEncoding encoding,
                     const TSnRTast& task, std::string& why);

// The same on the text [begin, end) decoded from a file the task reads as UTF-16: the new text
// goes to `out` in `writeAs`, the file's encoding, or, with AsItIs, as UTF-8 with unchanged
// text straight from [begin, end), as a preview needs it. Fails also when a string of the task
// or the new text is no valid UTF-8, which UTF-16 cannot hold.
int64_t ReplaceDecoded(TByteSink& out, const char* begin, const char* end, const TSnRTast& task,
                       TTextEncoding writeAs, std::string& why);

}  // namespace fendrel
