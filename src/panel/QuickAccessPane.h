// What the view model asks of the Quick Access pane: a redraw of the
// shortcut widgets, and the panel's buttons and those widgets switched on or
// off while the full job properties run. The toolkit's window implements it.
#pragma once

class QuickAccessPane {
 public:
  virtual ~QuickAccessPane() = default;
  // Draws one widget per entry of the view model's shortcut table.
  virtual void drawControlsInTree() = 0;
  // The full-properties, defaults and Quick Access buttons of the panel.
  virtual void EnablePanelButtons(bool enabled) = 0;
  // The shortcut widgets; greyed out when false.
  virtual void EnableShortcutControls(bool enabled) = 0;
};
