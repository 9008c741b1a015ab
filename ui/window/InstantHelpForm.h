// The instant-help window: a narrow tool window against the main window's right edge that lists,
// one sentence per item, the steps of a run still open. It draws its items itself and records
// where on the screen its first two items were drawn, so that the guiding lines can start at the
// sentence they explain; its check box switches those lines on and off.
#pragma once

#include <QTimer>
#include <cstdint>

#include "DevicePixels.h"
#include "ZQSnRMainForm.h"

class QCheckBox;
class QListWidget;

namespace fendrel {

class TSnRForm;

class TInstantHelpForm : public TZQSnRMainForm {
  Q_OBJECT

 public:
  // Created hidden, as a tool window of `mainForm`, which it follows and whose workflow state it
  // shows.
  explicit TInstantHelpForm(TSnRForm* mainForm);

  // The main window is going away: no handler reaches it any more.
  void ForgetMainForm() { FMainForm = nullptr; }

  QListWidget* HelpListBox() const { return FHelpListBox; }
  QCheckBox* GuidingHelpCheckBox() const { return FGuidingHelpCheckBox; }
  bool GuidingHelp() const;

  // Where help items 0 and 1 were last drawn, in device pixels; reset with every refill of the
  // list, so an item not drawn since (scrolled out of view, not yet painted) has no rectangle.
  const TScreenRect& FirstItemRect() const { return FFirstItemRect; }
  const TScreenRect& SecondItemRect() const { return FSecondItemRect; }
  void ResetItemRects();
  // Called while item `index` is painted at `itemRect` of the list's viewport.
  void ItemDrawn(int index, const QRect& itemRect);

  void SetCurrentLanguage() override;

  // The 200 ms tick: back against the main window's right edge, with its top and height.
  void UpdatePositionTimerTimer();
  // Where the window goes against the main window (its client area, in logical pixels): its
  // frame's left edge on the main window's frame's right edge, its frame as high as the main
  // window's, to the device pixel; on a screen too narrow for both it covers the main window's
  // right part rather than leave the screen.
  QRect DockedGeometry() const;
  void InitTimerTimer();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormResize();
  void UpdateWorkflowState();

  TSnRForm* FMainForm;
  QListWidget* FHelpListBox;
  QCheckBox* FGuidingHelpCheckBox;
  QTimer FUpdatePositionTimer;
  QTimer FInitTimer;
  TScreenRect FFirstItemRect;
  TScreenRect FSecondItemRect;
};

}  // namespace fendrel
