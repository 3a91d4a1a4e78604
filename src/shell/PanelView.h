// The panel's view as the controller sees it: the outlets of its interface
// file (text fields, buttons, separator lines) and the two screens the view
// model talks to. A toolkit's window implements it; a host without a screen
// uses HeadlessPanelView, which only keeps what would be shown.
#pragma once

#include <string>

class AddressController;
class QuickAccessPane;

enum class PanelButton {
  kFullProperties,
  kCustomizeQuickAccess,
  kDefaults,
};

class PanelView {
 public:
  virtual ~PanelView() = default;
  // The printer-address and printer-name text fields (UTF-8).
  virtual std::string PrinterAddressText() const = 0;
  virtual void SetPrinterAddressText(const std::string& text) = 0;
  virtual std::string PrinterNameText() const = 0;
  virtual void SetPrinterNameText(const std::string& text) = 0;
  virtual void EnableButton(PanelButton button, bool enabled) = 0;
  // Hides the Quick Access customisation (its button and separator line).
  virtual void HideQuickAccessCustomization() = 0;
  // Closes the gap the hidden customisation leaves: the lower controls move
  // up by `points`, the full-properties and defaults buttons by
  // `buttonPoints`, the address dialog's two-way check box with them.
  virtual void MoveLowerControlsUp(int points, int buttonPoints) {}
  // The Quick Access pane and the printer-address dialog; null when the view
  // has none (nothing is drawn or asked then).
  virtual QuickAccessPane* Pane() = 0;
  virtual AddressController* Address() = 0;
  // The two dialogs the panel may have open while the host hides it.
  virtual void CancelOpenDialogs() {}
};

class HeadlessPanelView : public PanelView {
 public:
  std::string PrinterAddressText() const override { return address_; }
  void SetPrinterAddressText(const std::string& text) override { address_ = text; }
  std::string PrinterNameText() const override { return name_; }
  void SetPrinterNameText(const std::string& text) override { name_ = text; }
  void EnableButton(PanelButton button, bool enabled) override {
    buttons_[static_cast<int>(button)] = enabled;
  }
  bool ButtonEnabled(PanelButton button) const { return buttons_[static_cast<int>(button)]; }
  void HideQuickAccessCustomization() override { customizationHidden_ = true; }
  bool CustomizationHidden() const { return customizationHidden_; }
  QuickAccessPane* Pane() override { return nullptr; }
  AddressController* Address() override { return nullptr; }

 private:
  std::string address_;
  std::string name_;
  bool buttons_[3] = {true, true, true};
  bool customizationHidden_ = false;
};
