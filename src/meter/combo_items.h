#pragma once

#include <span>
#include <string_view>

namespace kamt {

class Window;

// The item lists of the main window's combo boxes, in item order: an item's position is the
// value its register carries (or that value's offset, as the divider's and the channels').
// The window's forms carry the same lists; the command line takes them from here.
struct ComboList {
  std::string_view control;
  std::span<const std::string_view> items;
};

// Every combo box of the main window with a fixed list: the configuration group, the clock's
// day of week and the communication parameters.
std::span<const ComboList> MainWindowComboLists();

// The items of one of them; empty for any other name.
std::span<const std::string_view> ComboItems(std::string_view control);

// Selects the item at `index` when the combo box has one there; otherwise clears the
// selection (no item, empty text), so a value the list does not know is never shown as another.
void SelectItem(Window& window, std::string_view control, long index);

}  // namespace kamt
