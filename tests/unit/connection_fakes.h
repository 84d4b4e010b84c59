#pragma once

#include <string>
#include <vector>

#include "fake_window.h"
#include "link/connection.h"
#include "setup/connection_dialog.h"
#include "setup/modem_dialog.h"
#include "setup/port_list.h"

namespace kamt::test {

// The machine's serial ports, as a test lists them.
struct ListedPorts : PortList {
  std::vector<std::string> names;
  std::vector<std::string> Names() const override { return names; }
};

// The modem dialog: its answer is set by the test, its showings counted.
struct FakeModemDialog : ModemDialog {
  bool connects = false;
  std::string number = "12345";
  int shown = 0;
  bool ShowModal() override {
    ++shown;
    return connects;
  }
  std::string TelNumText() const override { return number; }
};

// The connection dialog's form with the item counts of its lists.
struct DialogForm : FakeWindow {
  DialogForm() {
    SetItemCount("RadioGroup1", 2);
    SetItemCount("ModemConnect_CheckBox", 2);
    SetItemCount("ComboBox2", 6);
    SetItemCount("ComboBox3", 4);
    SetItemCount("ComboBox4", 5);
    SetItemCount("ComboBox5", 3);
  }
  void SetItems(std::string_view control, const std::vector<std::string>& items) override {
    if (control == "ComboBox1") portItems = items;
    FakeWindow::SetItems(control, items);
  }
  // The user picks a listed port (position and text, as the box shows both) or types one.
  void ChoosePort(int position) {
    SetItemIndex("ComboBox1", position);
    SetText("ComboBox1", portItems.at(static_cast<std::size_t>(position)));
  }
  void TypePort(const std::string& path) {
    SetItemIndex("ComboBox1", -1);
    SetText("ComboBox1", path);
  }
  void TickModem(bool ticked) { SetItemIndex("ModemConnect_CheckBox", ticked ? 1 : 0); }
  std::vector<std::string> portItems;
};

// TForm2 as ConnectClick shows it: the test decides how the showing ends.
struct FakeSettingsDialog : SettingsDialog {
  DialogForm form;
  bool confirms = true;
  int shown = 0;
  Window& Form() override { return form; }
  bool ShowModal() override {
    ++shown;
    return confirms;
  }
};

}  // namespace kamt::test
