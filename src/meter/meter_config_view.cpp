#include "meter/meter_config_view.h"

#include <string>

#include "meter/combo_items.h"
#include "meter/integer_fields.h"
#include "meter/number_format.h"
#include "setup/window.h"
#include "text/input_number.h"

namespace kamt {
namespace {

void ShowNumber(Window& w, std::string_view control, float value, std::string_view sep) {
  w.SetText(control, FormatGeneral(value, 15, sep));
}

// The divider's list starts at 2 and the channels' at 1: a register below that has no item.
long Offset(std::uint16_t value, int first) { return long{value} - first; }

// The order and messages of the check before a write. Each step reads one control: an integer
// edit (the serial number, which must fit its register), a number edit, or a combo box, whose
// position plus `first` is the value.
enum class Input { Integer, Number, Item };

struct Step {
  const char* control;
  Input input;
  std::uint16_t MeterConfigRecord::*word;
  float MeterConfigRecord::*number;
  int first;
  const char* message;
};

using C = MeterConfigRecord;
constexpr Step kSteps[] = {
    {kSerialNumberField.control.data(), Input::Integer, &C::SerialNumber, nullptr, 0, kSerialNumberField.message.data()},
    {"ComboBox11", Input::Item, &C::Diameter, nullptr, 0, "Ошибка ввода условного диаметра"},
    {"Edit5", Input::Number, nullptr, &C::ConversionFactor, 0, "Ошибка ввода коэффициента преобразования"},
    {"Edit6", Input::Number, nullptr, &C::MaxFlow, 0, "Ошибка ввода максимального расхода"},
    {"ComboBox10", Input::Item, &C::Digits, nullptr, 0, "Ошибка ввода числа разрядов"},
    {"Edit8", Input::Number, nullptr, &C::FreqCorrection, 0, "Ошибка ввода коррекции частоты"},
    {"Edit9", Input::Number, nullptr, &C::TransitionFreq, 0, "Ошибка ввода переходной частоты"},
    {"Edit10", Input::Number, nullptr, &C::ZeroOffsetVoltage, 0, "Ошибка ввода смещения нуля"},
    {"ComboBox1", Input::Item, &C::Divider, nullptr, 2, "Ошибка ввода коэффициента деления"},
    {"ComboBox6", Input::Item, &C::Channels, nullptr, 1, "Ошибка ввода числа каналов"},
    {"Edit11", Input::Number, nullptr, &C::MinFreq, 0, "Ошибка ввода минимальной частоты"},
    {"ComboBox7", Input::Item, &C::CaptureCycles, nullptr, 0, "Ошибка ввода числа циклов захвата"},
    {"ComboBox8", Input::Item, &C::ProbePulse, nullptr, 0, "Ошибка ввода вида зондирующего импульса"},
    {"ComboBox9", Input::Item, &C::Sensitivity, nullptr, 0, "Ошибка ввода чувствительности"},
    {"ComboBox12", Input::Item, &C::DisplayOff, nullptr, 0, "Ошибка ввода параметров отключения дисплея"},
    {"Edit7", Input::Number, nullptr, &C::MaxPressure, 0, "Ошибка ввода максимального давления"},
    {"Edit12", Input::Number, nullptr, &C::MaxTemperature, 0, "Ошибка ввода максимальной температуры"},
    {"ComboBox14", Input::Item, &C::SensorType, nullptr, 0, "Ошибка ввода типа датчика"},
    {"ComboBox15", Input::Item, &C::CorrectionSign, nullptr, 0, "Ошибка ввода направления коррекции"},
};

bool ReadStep(const Step& step, const Window& w, MeterConfigRecord& c, std::string_view sep) {
  switch (step.input) {
    case Input::Integer: {
      const IntegerField& field = *FindIntegerField(step.control);
      const auto value = ParseIntegerIn(w.Text(step.control), field.low, field.high);
      if (value) c.*step.word = static_cast<std::uint16_t>(*value);
      return value.has_value();
    }
    case Input::Number: {
      const auto value = ParseNumber(w.Text(step.control), sep);
      if (value) c.*step.number = *value;
      return value.has_value();
    }
    case Input::Item: {
      const int index = w.ItemIndex(step.control);
      if (index >= 0) c.*step.word = static_cast<std::uint16_t>(index + step.first);
      return index >= 0;
    }
  }
  return false;
}

}  // namespace

void ShowMeterConfig(const MeterConfigRecord& c, Window& w, std::string_view sep) {
  w.SetText("Edit4", std::to_string(c.SerialNumber));
  ShowNumber(w, "Edit5", c.ConversionFactor, sep);
  ShowNumber(w, "Edit6", c.MaxFlow, sep);
  SelectItem(w, "ComboBox10", c.Digits);
  SelectItem(w, "ComboBox11", c.Diameter);
  ShowNumber(w, "Edit8", c.FreqCorrection, sep);
  ShowNumber(w, "Edit9", c.TransitionFreq, sep);
  ShowNumber(w, "Edit10", c.ZeroOffsetVoltage, sep);
  SelectItem(w, "ComboBox1", Offset(c.Divider, 2));
  SelectItem(w, "ComboBox6", Offset(c.Channels, 1));
  ShowNumber(w, "Edit11", c.MinFreq, sep);
  SelectItem(w, "ComboBox7", c.CaptureCycles);
  SelectItem(w, "ComboBox8", c.ProbePulse);
  SelectItem(w, "ComboBox9", c.Sensitivity);
  SelectItem(w, "ComboBox12", c.DisplayOff);
  ShowNumber(w, "Edit7", c.MaxPressure, sep);
  ShowNumber(w, "Edit12", c.MaxTemperature, sep);
  SelectItem(w, "ComboBox14", c.SensorType);
  // A one-channel meter corrects in one direction only, whatever the register says.
  SelectItem(w, "ComboBox15", c.Channels == 1 ? 0 : long{c.CorrectionSign});
}

bool ValidateConfigInput(Window& w, MeterConfigRecord& c, std::string_view sep) {
  for (const Step& step : kSteps) {
    if (!ReadStep(step, w, c, sep)) {
      w.ShowMessage(step.message);
      return false;
    }
  }
  return true;
}

}  // namespace kamt
