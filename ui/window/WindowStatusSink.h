// The worker's reports reach the main window through this sink: each call crosses into the
// window thread and returns only after the window has handled it, so the text (valid only
// during the call) is copied there and the worker waits, as it expects.
#pragma once

#include <QObject>
#include <QPointer>

#include "engine/StatusSink.h"

namespace fendrel {

class TSnRForm;

class TWindowStatusSink : public TStatusSink {
 public:
  explicit TWindowStatusSink(TSnRForm* form);
  void SnRStatus(TStatusKind kind, const std::string& text) override;

 private:
  TSnRForm* FForm;
};

}  // namespace fendrel
