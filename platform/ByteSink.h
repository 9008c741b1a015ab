// Where a matcher writes the new content of a file: the temporary file of a rewrite, or memory.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

namespace fendrel {

class TByteSink {
 public:
  virtual ~TByteSink() = default;
  // Appends bytes; false once a write has failed.
  virtual bool Write(const char* data, std::size_t length) = 0;
  // Appends `length` zero bytes, a hole where the sink can make one.
  virtual bool Skip(std::size_t length) {
    static constexpr char kZeros[4096] = {};
    for (; length > 0; length -= std::min(length, sizeof kZeros)) {
      if (!Write(kZeros, std::min(length, sizeof kZeros))) return false;
    }
    return true;
  }
  // The writer has read its source up to `upTo` and will not read that part again: a sink that
  // knows the source may let the memory holding it go.
  virtual void SourceRead(const char* upTo) { (void)upTo; }
};

// Keeps everything written, for previews and tests.
class TStringSink : public TByteSink {
 public:
  bool Write(const char* data, std::size_t length) override {
    Bytes.append(data, length);
    return true;
  }
  std::string Bytes;
};

// Takes everything and keeps nothing: where only the count of replacements matters.
class TNullSink : public TByteSink {
 public:
  bool Write(const char*, std::size_t) override { return true; }
};

}  // namespace fendrel
