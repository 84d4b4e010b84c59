#pragma once

#include <string>

namespace kamt {

// The modem dialog (TForm3) as the connection dialog and the connection commands use it: it
// dials over the serial port that is already open.
class ModemDialog {
 public:
  virtual ~ModemDialog() = default;
  // Shows the dialog modally; true when it closed with OK, that is once the modem reported a
  // connection.
  virtual bool ShowModal() = 0;
  // The number in its phone box (TelNum_ComboBox), as typed or chosen.
  virtual std::string TelNumText() const = 0;
};

}  // namespace kamt
