// What the view model asks of the printer-address dialog: its two-way state
// and address text, its configure button and two-way check box, and turning
// two-way off. The toolkit's dialog implements it.
#pragma once

#include <string>

class AddressController {
 public:
  virtual ~AddressController() = default;
  // The two-way check box is on.
  virtual bool isBIDIEnabled() const = 0;
  // The address field's text (UTF-8).
  virtual std::string AddressText() const = 0;
  virtual void EnableConfigureButton(bool enabled) = 0;
  virtual void EnableTwoWayCheckBox(bool enabled) = 0;
  // Clears the two-way check box (the user chose to go on without two-way).
  virtual void SetTwoWayOff() = 0;
};
