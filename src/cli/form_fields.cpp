#include "cli/form_fields.h"

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

}  // namespace

std::span<const FormField> ConfigFields() { return kConfigFields; }
std::span<const FormField> CommFields() { return kCommFields; }

std::string CliFieldsHelp() {
  return "\n"
         "Fields of config write and comm write, given as NAME=VALUE: a number with a point or the\n"
         "locale's separator; a list field takes the text of one of its items or #POSITION.\n" +
         FieldsHelp("config write:", kConfigFields) + FieldsHelp("comm write:", kCommFields) +
         "clock write takes \"DD.MM.YYYY HH:MM:SS\" (the day of week follows from the date),\n"
         "or --now for the computer's clock.\n";
}

}  // namespace kamt
