#include "meter/combo_items.h"

#include "setup/window.h"

namespace kamt {
namespace {

// Configuration group.
constexpr std::string_view kDivider[] = {"2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11", "12",
                                         "13", "14", "15", "16", "17", "18", "19", "20", "21", "22", "23",
                                         "24", "25", "26", "27", "28", "29", "30", "31", "32"};
constexpr std::string_view kChannels[] = {"1", "2"};
constexpr std::string_view kCaptureCycles[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
constexpr std::string_view kProbePulse[] = {"18 В", "35 В"};
// The empty items are real entries: choosing one writes its position.
constexpr std::string_view kSensitivity[] = {"12 мВ", "7 мВ", "4 мВ", "2 мВ", "", "", ""};
constexpr std::string_view kDigits[] = {"0", "1", "2", "3"};
// The register holds the position in this list, not millimetres.
constexpr std::string_view kDiameter[] = {"32",  "40",  "50",  "80",  "100", "150", "200",  "250",  "300", "400",
                                          "500", "600", "700", "800", "900", "1000", "1200", "", ""};
constexpr std::string_view kDisplayOff[] = {"Никогда",        "Через 5 минут",  "Через 10 минут",
                                            "Через 15 минут", "Через 30 минут", "Через 60 минут"};
constexpr std::string_view kSensorType[] = {"Отключен", "Давление", "Температура"};
constexpr std::string_view kCorrectionSign[] = {"отрицательная", "положительная"};

// Clock group: the meter counts the week from Sunday; the last, empty item stands for none.
constexpr std::string_view kDayOfWeek[] = {"Воскресенье", "Понедельник", "Вторник", "Среда",
                                           "Четверг",     "Пятница",     "Суббота", ""};

// Communication parameters, as the meter numbers its choices (its parity order is its own).
constexpr std::string_view kBaud[] = {"1200", "2400", "4800", "9600", "19200", "38400"};
constexpr std::string_view kDataBits[] = {"8"};
constexpr std::string_view kParity[] = {"Нет", "Нечет", "Чет", "Маркер", "Пробел"};
constexpr std::string_view kStopBits[] = {"1", "2"};
constexpr std::string_view kTimeout[] = {"5 мс", "10 мс", "15 мс", "20 мс", "25 мс", "50 мс", "100 мс"};

constexpr ComboList kLists[] = {
    {"ComboBox1", kDivider},       {"ComboBox6", kChannels},       {"ComboBox7", kCaptureCycles},
    {"ComboBox8", kProbePulse},    {"ComboBox9", kSensitivity},    {"ComboBox10", kDigits},
    {"ComboBox11", kDiameter},     {"ComboBox12", kDisplayOff},    {"ComboBox14", kSensorType},
    {"ComboBox15", kCorrectionSign}, {"DayOfWeek_ComboBox", kDayOfWeek}, {"ComboBox2", kBaud},
    {"ComboBox3", kDataBits},      {"ComboBox4", kParity},         {"ComboBox5", kStopBits},
    {"ComboBox13", kTimeout},
};

}  // namespace

std::span<const ComboList> MainWindowComboLists() { return kLists; }

std::span<const std::string_view> ComboItems(std::string_view control) {
  for (const ComboList& list : kLists) {
    if (list.control == control) return list.items;
  }
  return {};
}

void SelectItem(Window& window, std::string_view control, long index) {
  const bool exists = index >= 0 && index < window.ItemCount(control);
  window.SetItemIndex(control, exists ? static_cast<int>(index) : -1);
}

}  // namespace kamt
