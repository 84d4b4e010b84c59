#include "meter/form_fields.h"

#include <algorithm>

#include "meter/combo_items.h"
#include "setup/window.h"
#include "text/input_number.h"

namespace kamt {
namespace {

constexpr FormField kConfigFields[] = {
    {"serial", "Edit4", "Зав. номер"},
    {"diameter", "ComboBox11", "Условный диаметр, мм"},
    {"factor", "Edit5", "Коэф. преобразования"},
    {"max-flow", "Edit6", "Максимальный расход, м3/ч"},
    {"digits", "ComboBox10", "Число разрядов"},
    {"freq-correction", "Edit8", "Коррекция частоты, Гц"},
    {"transition-freq", "Edit9", "Переходная частота, Гц"},
    {"zero-offset", "Edit10", "Напряжение смещения нуля, В"},
    {"divider", "ComboBox1", "Коэффициент деления"},
    {"channels", "ComboBox6", "Число каналов"},
    {"min-freq", "Edit11", "Минимальная частота, Гц"},
    {"capture-cycles", "ComboBox7", "Число циклов захвата"},
    {"probe-pulse", "ComboBox8", "Зондирующий импульс"},
    {"sensitivity", "ComboBox9", "Чувствительность"},
    {"display-off", "ComboBox12", "Отключение дисплея"},
    {"max-pressure", "Edit7", "Максимальное давление, кг/см2"},
    {"max-temperature", "Edit12", "Максимальная температура, градС"},
    {"sensor-type", "ComboBox14", "Тип датчика"},
    {"correction-sign", "ComboBox15", "Коррекция частоты:"},
};

constexpr FormField kCommFields[] = {
    {"address", "Edit3", "Сетевой номер"}, {"baud", "ComboBox2", "Скорость"},
    {"data-bits", "ComboBox3", "Биты данных"}, {"parity", "ComboBox4", "Четность"},
    {"stop-bits", "ComboBox5", "Стоп биты"}, {"timeout", "ComboBox13", "Таймаут"},
    {"ip", "Edit1", "IP адрес"},           {"port", "Edit2", "Порт"},
};

std::optional<int> Position(std::span<const std::string_view> items, std::string_view number) {
  const auto n = ParseInteger(number);
  if (!n || *n < 0 || static_cast<std::size_t>(*n) >= items.size()) return std::nullopt;
  return *n;
}

}  // namespace

std::span<const FormField> ConfigFields() { return kConfigFields; }
std::span<const FormField> CommFields() { return kCommFields; }

bool IsNumericList(std::span<const std::string_view> items) {
  return std::any_of(items.begin(), items.end(), [](std::string_view item) { return ParseInteger(item).has_value(); });
}

std::optional<int> ItemPosition(std::span<const std::string_view> items, std::string_view value) {
  const auto item = std::find(items.begin(), items.end(), value);
  if (item != items.end()) return static_cast<int>(item - items.begin());
  if (value.starts_with('#')) return Position(items, value.substr(1));
  if (!IsNumericList(items)) return Position(items, value);
  return std::nullopt;
}

std::string FieldText(const Window& window, const FormField& field) {
  const auto items = ComboItems(field.control);
  if (items.empty()) return window.Text(field.control);
  const int index = window.ItemIndex(field.control);
  return index >= 0 && static_cast<std::size_t>(index) < items.size() ? std::string(items[static_cast<std::size_t>(index)])
                                                                       : std::string();
}

bool PutFieldText(Window& window, const FormField& field, std::string_view value) {
  const auto items = ComboItems(field.control);
  if (items.empty()) {
    window.SetText(field.control, value);
    return true;
  }
  const auto position = ItemPosition(items, value);
  window.SetItemIndex(field.control, position.value_or(-1));
  return position.has_value();
}

}  // namespace kamt
