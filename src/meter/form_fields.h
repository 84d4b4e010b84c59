#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kamt {

class Window;

// A control of a group as the command line and the configuration files name it.
struct FormField {
  std::string_view name;     // on the command line and in a file: "max-flow"
  std::string_view control;  // the window's control: "Edit6", "ComboBox11"
  std::string_view caption;  // its label: "Максимальный расход, м3/ч"
};

// The controls of the "Конфигурация" group, in the order the window checks them.
std::span<const FormField> ConfigFields();
// The controls of the "Параметры коммуникации" group, RS485 first, then TCP/IP.
std::span<const FormField> CommFields();

// Whether some item of a list is a number: a bare number then names an item's text only.
bool IsNumericList(std::span<const std::string_view> items);

// The position a value names in a list: an item's text, "#N", or, in a list whose items are
// not numbers (where it cannot be mistaken for one), a bare N. Nothing when it names none.
std::optional<int> ItemPosition(std::span<const std::string_view> items, std::string_view value);

// What the field's control holds: the text of an edit, the chosen item's text of a combo box
// (empty when none is chosen).
std::string FieldText(const Window& window, const FormField& field);

// Puts a value into the field's control: an edit takes it as typed (its handler checks it as
// it checks what a user types), a combo box selects the item it names. False when it names
// none, and the box is then left without a selection.
bool PutFieldText(Window& window, const FormField& field, std::string_view value);

}  // namespace kamt
