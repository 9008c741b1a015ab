// How a file's preview reads on the preview page: its changed lines as they are and as they
// would be, the replaced stretches highlighted. Every change shows: line ends and tabs carry a
// mark of their own, bytes that are no text (and characters that show nothing of themselves) are
// shown as hex, and a long line is cut into rows around its changes. A UTF-16 file's lines are
// its decoded text, under the name of its encoding.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "engine/PreviewFile.h"

namespace fendrel {

// The preview of one file as HTML for a text browser, in the catalogue's texts of `language`.
// Each change the lines show begins with its tick, a link to "change:N" for change N of the
// file; `ticked` tells which are ticked (all where it is shorter), and an unticked change shows
// its new text struck through.
QString PreviewHtml(const TFilePreview& preview, int32_t language,
                    const std::vector<bool>& ticked = {});

// The page's summary line.
QString PreviewSummary(std::size_t filesDone, std::size_t filesTotal, int64_t replacements,
                       std::size_t filesChanged, bool cancelled, int32_t language);

}  // namespace fendrel
