#pragma once

#include <string>

namespace kamt {

class ModemDialog;
class PortList;
class Window;
struct Link;
struct LinkSettingsRecord;

// The items of the interface choice RadioGroup1: the two described ones, and a serial-to-
// Ethernet converter that carries RTU frames (stored as Ethernet with RTU framing).
inline constexpr int kSerialPosition = 0;
inline constexpr int kEthernetPosition = 1;
inline constexpr int kConverterPosition = 2;

// The item of RadioGroup1 that the settings choose.
int InterfacePosition(const LinkSettingsRecord& settings);

// How "Применить" ends a showing of the dialog: it stays open after an input error, or closes
// with OK, or with Cancel when the modem dialog did not connect.
enum class ModalResult { None, Ok, Cancel };

// The logic of the connection settings dialog TForm2: it fills the dialog from LinkSettings
// once, and its "Применить" stores the choices, opens or re-opens the serial port and runs
// the modem dialog. The dialog's controls are addressed through its own Window.
class ConnectionDialog {
 public:
  ConnectionDialog(Window& form, Link& link, PortList& ports, ModemDialog& modem)
      : form_(form), link_(link), ports_(ports), modem_(modem) {}

  void FormCreate();
  void FillPortList();
  // Shows the group of the chosen interface.
  void RadioGroup1Click();
  // "Применить".
  ModalResult Button1Click();

 private:
  void OpenChosenPort();
  ModalResult ApplySerial();
  ModalResult ApplyEthernet();
  // The address of "Прибор": false after its message when it is no number; a number outside
  // 1..255 is ignored.
  bool ApplyAddress();

  Window& form_;
  Link& link_;
  PortList& ports_;
  ModemDialog& modem_;
  std::string openName_;  // the device the open port was opened as
};

// A check box is read and set through the Window as a choice of two: 0 clear, 1 ticked.
bool IsTicked(const Window& form, const char* checkBox);

}  // namespace kamt
