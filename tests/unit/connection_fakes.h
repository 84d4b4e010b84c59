#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fake_window.h"
#include "setup/connection.h"
#include "setup/connection_dialog.h"
#include "setup/modem_dialog.h"
#include "setup/port_list.h"

namespace kamt::test {

struct ListedPorts : PortList {
  std::vector<std::string> names;
  std::vector<std::string> Names() const override { return names; }
};

// The modem dialog: the test sets its answer and counts its showings.
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
    for (const auto& [list, count] : {std::pair{"RadioGroup1", 2}, {"ModemConnect_CheckBox", 2}, {"ComboBox2", 6},
                                      {"ComboBox3", 4}, {"ComboBox4", 5}, {"ComboBox5", 3}}) {
      SetItemCount(list, count);
    }
  }
  void SetItems(std::string_view control, const std::vector<std::string>& items) override {
    if (control == "ComboBox1") portItems = items;
    FakeWindow::SetItems(control, items);
  }
  // The user picks a listed port (the box shows its position and text) or types one.
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
