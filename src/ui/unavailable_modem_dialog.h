#pragma once

#include <string>

#include "link/window.h"
#include "setup/modem_dialog.h"

namespace kamt {

// Stands in for the modem dialog until modem dialling is built: it says so and connects
// nothing.
class UnavailableModemDialog : public ModemDialog {
 public:
  explicit UnavailableModemDialog(Window& window) : window_(window) {}

  bool ShowModal() override {
    window_.ShowMessage("Соединение через модем пока не поддерживается");
    return false;
  }
  std::string TelNumText() const override { return {}; }

 private:
  Window& window_;
};

}  // namespace kamt
