#include "TaskChanges.h"

#include <algorithm>
#include <functional>

#include "ProcessFile.h"
#include "ReplaceMatches.h"

namespace fendrel {

bool TTaskChanges::Failed() const {
  return std::any_of(Results.begin(), Results.end(), [](int64_t result) { return result < 0; });
}

TTaskChanges ChangesOfTasks(std::string_view content, TTextEncoding encoding,
                            const std::vector<const TSnRTast*>& tasks, uint64_t lineLimit,
                            bool countOnly, const std::function<bool()>& damaged) {
  TTaskChanges found;
  const auto fail = [&found](int64_t result, const std::string& reason) {
    if (!found.Failed()) found.Reason = reason;
    found.Results.push_back(result);
  };
  // Each task matches what the one before left: the content itself until a task changes it,
  // then that task's result in memory.
  std::string current;
  bool changed = false;
  // A single task's changes are final: beyond the lines kept, they need only be counted.
  if (tasks.size() != 1) lineLimit = 0;
  for (const TSnRTast* task : tasks) {
    const bool last = task == tasks.back();
    const std::string_view text = changed ? std::string_view(current) : content;
    // The last task's result content is needed only for its changes.
    TNullSink counter;
    TChangeSink sink(text.data(), text.data() + text.size(), lineLimit);
    TByteSink& out = countOnly && last ? static_cast<TByteSink&>(counter) : sink;
    std::string why;
    const int64_t result =
        encoding == TTextEncoding::AsItIs
            ? ReplaceMatches(out, text.data(), text.data() + text.size(), *task, why)
            : ReplaceDecoded(out, text.data(), text.data() + text.size(), *task,
                             TTextEncoding::AsItIs, why);
    if (damaged()) {
      fail(prMatchFailed, kChangedDuringRun);
      continue;
    }
    if (result < 0) {
      fail(result, why);
      continue;
    }
    found.Results.push_back(result);
    if (&out == &counter) continue;
    TChangeList made = sink.Finish();
    if (result == 0 || made.empty()) continue;
    if (!changed && last) {
      found.Changes = std::move(made);
      found.LinesNotKept = sink.LinesNotKept();
      break;
    }
    std::string next = ApplyChanges(text, made);
    found.Changes = changed ? ComposeChanges(found.Changes, made, next) : std::move(made);
    current = std::move(next);
    changed = true;
  }
  return found;
}

uint64_t ContentFingerprint(std::string_view content) {
  return std::hash<std::string_view>{}(content);
}

int64_t WriteChosenChanges(TByteSink& out, const char* begin, const char* end,
                           const TChosenChanges& chosen, std::string& why) {
  if (chosen.Tasks.empty()) return prMatchFailed;
  std::string_view content(begin, static_cast<std::size_t>(end - begin));
  // The user chose among changes to the content shown: in any other content, even where the
  // same changes would be found, the choice says nothing about them.
  const std::string stale = "the file has changed since the preview: preview it again";
  if (ContentFingerprint(content) != chosen.Fingerprint) {
    why = stale;
    return prMatchFailed;
  }
  // The file is read as the preview read it: a UTF-16 file's changes lie in its decoded text.
  const TTextEncoding encoding = TextEncodingOf(chosen.Tasks.front(), content);
  TDecodedText decoded;
  if (encoding != TTextEncoding::AsItIs) {
    if (!DecodeUtf16(content, encoding, decoded, why)) return prMatchFailed;
    content = std::string_view(decoded.Begin(), decoded.Size);
  }
  std::vector<const TSnRTast*> tasks;
  for (const TSnRTast& task : chosen.Tasks)
    tasks.push_back(&task);
  TTaskChanges found = ChangesOfTasks(content, encoding, tasks, 0, false, [] { return false; });
  if (found.Failed()) {
    why = found.Reason;
    return prMatchFailed;
  }
  // The same content makes the same changes, unless what the tasks mean has changed meanwhile
  // (the case table of another language setting).
  if (found.Changes.size() < chosen.Shown.size() ||
      !std::equal(chosen.Shown.begin(), chosen.Shown.end(), found.Changes.begin())) {
    why = stale;
    return prMatchFailed;
  }
  int64_t count = 0;
  TChangeList made;
  for (std::size_t i = 0; i < found.Changes.size(); ++i) {
    if (i < chosen.Ticked.size() && !chosen.Ticked[i]) continue;
    count += static_cast<int64_t>(found.Changes[i].Replacements);
    made.push_back(std::move(found.Changes[i]));
  }
  // As in a run of every change, a file left as it is is not written.
  if (made.empty()) return 0;
  if (encoding == TTextEncoding::AsItIs)
    return WriteChanges(out, content, made) ? count : int64_t{prMatchFailed};
  TUtf16Sink encoded(out, encoding);
  if (!WriteChanges(encoded, content, made) || !encoded.Finish()) {
    why = encoded.Why();
    return prMatchFailed;
  }
  return count;
}

}  // namespace fendrel
