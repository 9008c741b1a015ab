// The overlay's drawing surface: one frameless, always-on-top window over the whole virtual
// screen that lets every mouse event through and is shaped to its marks, so that the windows
// below stay visible and usable even without a compositing window manager. The marks arrive in
// device pixels and are drawn in whole logical pixels, so that on a scaled screen they grow with
// everything else.
#pragma once

#include <QWidget>

#include "OverlayElements.h"

namespace fendrel::overlay {

class TScreenOverlayWindow : public QWidget {
 public:
  TScreenOverlayWindow();

  // Covers the virtual screen as it is now, reshapes the window to `elements` and shows it on
  // top, or hides it when there is nothing to show (an empty shape would show the whole window).
  void ShowElements(const std::vector<TOverlayElement>& elements);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<TOverlayElement> FElements;  // a copy, painted in order
};

}  // namespace fendrel::overlay
