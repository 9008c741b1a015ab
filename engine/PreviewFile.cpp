#include "PreviewFile.h"

#include <algorithm>
#include <cstring>

#include "ProcessFile.h"
#include "ReadTaskFile.h"
#include "ReplaceMatches.h"
#include "TaskChanges.h"

namespace fendrel {

int64_t TFilePreview::Replacements() const {
  int64_t sum = 0;
  for (const int64_t result : Results)
    sum += std::max<int64_t>(result, 0);
  return sum;
}

bool TFilePreview::Failed() const {
  return std::any_of(Results.begin(), Results.end(), [](int64_t result) { return result < 0; });
}

namespace {

// Counts what one task would replace in `file`, left unmapped for its holes, a data region at a
// time, as a run reads it (TFileRewrite).
void CountByDataRegions(const TSnRTast& task, TReadFile& file, TFilePreview& preview) {
  int64_t total = 0;
  TNullSink counted;
  for (const auto& [begin, end] : DataRegions(file.Content)) {
    const char* part = file.Content.MapPart(begin, static_cast<std::size_t>(end - begin));
    std::string why;
    const int64_t count =
        part == nullptr ? int64_t{prMatchFailed}
                        : ReplaceMatchesAsItIs(counted, part, part + (end - begin), task, why);
    if (count < 0 || file.Content.Damaged()) {
      preview.Reason = part == nullptr          ? "cannot read the file"
                       : file.Content.Damaged() ? kChangedDuringRun
                                                : why;
      preview.Results.push_back(count < 0 ? count : int64_t{prMatchFailed});
      return;
    }
    total += count;
  }
  preview.Results.push_back(total);
}

}  // namespace

TFilePreview PreviewFile(const std::vector<const TSnRTast*>& tasks, const THunkOptions& options,
                         TLastFolder* folders) {
  TFilePreview preview;
  if (tasks.empty()) return preview;
  const auto fail = [&preview](int64_t result, const std::string& reason) {
    if (!preview.Failed()) preview.Reason = reason;
    preview.Results.push_back(result);
  };
  TLastFolder ownFolder;
  TLastFolder& folder = folders != nullptr ? *folders : ownFolder;
  const TSnRTast& first = *tasks.front();
  // A large disk image is only counted: its data alone is read, never its holes. Zero bytes to
  // find would match in the holes too, and a UTF-16 text is decoded whole.
  const bool leaveHoles =
      options.CountOnly && tasks.size() == 1 && first.FromStr.find('\0') == std::string::npos;
  TReadFile file;
  std::string reason;
  int64_t failed =
      ReadTaskFileAsItIs(first.FileName, first.Links, file, reason, folder, leaveHoles);
  if (failed == 0 && file.Content.Begin() == nullptr) {
    if (!BeginsWithUtf16Mark(file.Content)) {
      CountByDataRegions(first, file, preview);
      return preview;
    }
    failed = ReadTaskFileAsItIs(first.FileName, first.Links, file, reason, folder);
  }
  if (failed != 0) {
    for (std::size_t i = 0; i < tasks.size(); ++i)
      fail(failed, reason);
    return preview;
  }
  std::string_view original(file.Content.Begin(), file.Content.Size());
  if (!options.CountOnly) preview.Fingerprint = ContentFingerprint(original);
  // The tasks of a UTF-16 file match its decoded text, as a run's do, and the lines shown are
  // that text. A file's tasks differ only in their strings, so the first one decides for all.
  preview.Encoding = TextEncodingOf(*tasks.front(), original);
  TDecodedText decoded;
  if (preview.Encoding != TTextEncoding::AsItIs && options.CountOnly && tasks.size() == 1) {
    // A count needs no decoded copy: the file is matched a piece at a time, as a run matches it.
    TNullSink counter;
    const int64_t result =
        ReplaceUtf16(counter, original, preview.Encoding, *tasks.front(), reason);
    if (file.Content.Damaged()) {
      fail(prMatchFailed, kChangedDuringRun);
    } else if (result < 0) {
      fail(result, reason);
    } else {
      preview.Results.push_back(result);
    }
    return preview;
  }
  // The lines shown may lie anywhere in the file, and are cut from its decoded text: that is
  // decoded whole.
  if (preview.Encoding != TTextEncoding::AsItIs) {
    if (!DecodeUtf16(original, preview.Encoding, decoded, reason)) {
      if (file.Content.Damaged()) reason = kChangedDuringRun;
      for (std::size_t i = 0; i < tasks.size(); ++i)
        fail(prMatchFailed, reason);
      return preview;
    }
    original = std::string_view(decoded.Begin(), decoded.Size);
  }
  TTaskChanges found =
      ChangesOfTasks(original, preview.Encoding, tasks, options.MaxLines, options.CountOnly,
                     [&file] { return file.Content.Damaged(); });
  preview.Results = std::move(found.Results);
  preview.Reason = std::move(found.Reason);
  if (file.Content.Damaged() || options.CountOnly) return preview;
  preview.Binary = std::memchr(original.data(), 0, original.size()) != nullptr;
  preview.Lines = ChangedLines(original, found.Changes, options, found.LinesNotKept);
  // The changes shown, one mark each, are the ones a user can untick.
  std::size_t shown = 0;
  for (const THunk& hunk : preview.Lines.Hunks)
    shown += hunk.OldMarks.size();
  found.Changes.resize(std::min(shown, found.Changes.size()));
  preview.Changes = std::move(found.Changes);
  return preview;
}

}  // namespace fendrel
