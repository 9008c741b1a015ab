// One search-and-replace job on one file, with its own copies of both strings and the options
// in force when it was built. A task never changes once queued.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/OpenInTree.h"

namespace fendrel {

struct TChosenChanges;

enum TSearchMode : uint8_t {
  smCaseSensitive = 0,  // literal, exact bytes
  smIgnoreCase = 1,     // literal, letters compared through the case table (UTF-8: case folding)
  smRegExpr = 2,        // regular expression with a replacement template
};

enum TLogMode : int32_t {
  lmNone = 0,
  lmReplacedOnly = 1,  // failures and files with at least one replacement
  lmAllFiles = 2,      // also files without replacements
};

class TSnRTast {
 public:
  // The caller's buffers stay the caller's. A new-string length of -1 (an editor value never
  // set) counts as 0; the old string's length is kept as given, so a task without an old string
  // fails when it runs.
  void Init(const std::string& fileName, const char* fromData, int32_t fromLen,
            TSearchMode searchMode, const char* toData, int32_t toLen, bool createBackup,
            TLogMode logMode);

  // Copies `len` bytes of `data` into `buffer` and builds their display text: the bytes up to
  // the first zero byte, then " [" + two upper-case hex digits per shown byte + "]", every
  // byte below 32 shown as ".". Empty text for an empty (or negative-length) string.
  static void StoreBytes(const char* data, int32_t len, std::string& buffer, int32_t& storedLen,
                         std::string& display);

  std::string FileName;
  std::string FromStr;  // FromLen bytes, zero bytes included
  int32_t FromLen = 0;
  std::string ToStr;
  int32_t ToLen = 0;
  bool CreateBackup = false;
  TLogMode LogMode = lmNone;
  TSearchMode SearchMode = smCaseSensitive;
  // The strings were given as hexadecimal bytes: they match a file's bytes as they are, never
  // the characters of a UTF-16 file.
  bool HexInput = false;
  // The rewritten file gets the previous file's modification and access times back (its change
  // time still moves): tools that go by modification times then take it for unchanged.
  bool KeepModificationTime = false;
  // The run's folder and whether links in it are followed.
  TLinkRule Links;
  // The front end's mark of the run the task belongs to, handed back with the task's report so
  // that the backup it made is recorded under its run; 0 when runs are not told apart.
  uint64_t Run = 0;
  // Set, the task makes only the changes a user chose in a preview of the file (its strings are
  // those of the first of the tasks previewed).
  std::shared_ptr<const TChosenChanges> Chosen;
  std::string FromStrDisplay;
  std::string ToStrDisplay;
};

}  // namespace fendrel
