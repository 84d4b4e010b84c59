#include "meter/comm_params_view.h"

#include <string>

#include "meter/combo_items.h"
#include "meter/integer_fields.h"
#include "meter/registers.h"
#include "setup/ip_address.h"
#include "setup/window.h"
#include "text/input_number.h"

namespace kamt {
namespace {

// Byte offsets of the data: the two choices sharing register 0x0001, and the address.
constexpr std::size_t kTimeoutByte = 2;
constexpr std::size_t kBaudByte = 3;
constexpr std::size_t kIpBytes = 12;
// Position on the line of each number of the address, first number first.
constexpr std::size_t kIpOrder[] = {1, 0, 3, 2};

// The choices kept a whole register each, and the combo box of each.
struct Choice {
  std::size_t reg;
  std::uint16_t CommParamsRecord::*field;
  const char* control;
};
constexpr Choice kWordChoices[] = {{2, &CommParamsRecord::parityIndex, "ComboBox4"},
                                   {3, &CommParamsRecord::dataBitsIndex, "ComboBox3"},
                                   {4, &CommParamsRecord::stopBitsIndex, "ComboBox5"}};

std::string Dotted(const std::array<std::uint8_t, 4>& ip) {
  return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
         std::to_string(ip[3]);
}

// The choices the check reads, in its order, with their messages.
struct ChoiceStep {
  const char* control;
  std::uint16_t CommParamsRecord::*field;
  const char* message;
};
constexpr ChoiceStep kLineChoices[] = {
    {"ComboBox2", &CommParamsRecord::baudIndex, "Ошибка ввода скорости обмена"},
    {"ComboBox3", &CommParamsRecord::dataBitsIndex, "Ошибка ввода числа бит данных"},
    {"ComboBox4", &CommParamsRecord::parityIndex, "Ошибка ввода бита четности"},
    {"ComboBox5", &CommParamsRecord::stopBitsIndex, "Ошибка ввода числа стоп-бит"}};
constexpr ChoiceStep kTimeoutChoice = {"ComboBox13", &CommParamsRecord::timeoutIndex, "Ошибка ввода таймаута"};

bool Fail(Window& w, std::string_view message) {
  w.ShowMessage(message);
  return false;
}

bool ReadChoice(Window& w, const ChoiceStep& step, CommParamsRecord& p) {
  const int index = w.ItemIndex(step.control);
  if (index < 0) return Fail(w, step.message);
  p.*step.field = static_cast<std::uint16_t>(index);
  return true;
}

bool ReadInteger(Window& w, const IntegerField& field, std::uint16_t& value) {
  const auto number = ParseIntegerIn(w.Text(field.control), field.low, field.high);
  if (!number) return Fail(w, field.message);
  value = static_cast<std::uint16_t>(*number);
  return true;
}

}  // namespace

CommParamsRecord DecodeCommParams(std::span<const std::uint8_t, kCommParamsSize> data) {
  const RegisterView r(data);
  CommParamsRecord p;
  p.netNumber = r.U16(0);
  p.timeoutIndex = data[kTimeoutByte];
  p.baudIndex = data[kBaudByte];
  for (const Choice& c : kWordChoices) p.*c.field = r.U16(c.reg);
  p.port = r.U16(5);
  for (std::size_t i = 0; i < p.ip.size(); ++i) p.ip[i] = data[kIpBytes + kIpOrder[i]];
  return p;
}

std::array<std::uint8_t, kCommParamsSize> EncodeCommParams(const CommParamsRecord& p) {
  std::array<std::uint8_t, kCommParamsSize> out{};
  RegisterWriter w(out);
  w.U16(0, p.netNumber);
  out[kTimeoutByte] = static_cast<std::uint8_t>(p.timeoutIndex & 0xFF);
  out[kBaudByte] = static_cast<std::uint8_t>(p.baudIndex & 0xFF);
  for (const Choice& c : kWordChoices) w.U16(c.reg, p.*c.field);
  w.U16(5, p.port);
  for (std::size_t i = 0; i < p.ip.size(); ++i) out[kIpBytes + kIpOrder[i]] = p.ip[i];
  return out;
}

void ShowCommParams(const CommParamsRecord& p, Window& w) {
  w.SetText("Edit3", std::to_string(p.netNumber));
  w.SetText("Edit2", std::to_string(p.port));
  SelectItem(w, "ComboBox2", p.baudIndex);
  for (const Choice& c : kWordChoices) SelectItem(w, c.control, p.*c.field);
  SelectItem(w, "ComboBox13", p.timeoutIndex);
  w.SetText("Edit1", Dotted(p.ip));
}

bool ParseCommParams(Window& w, CommParamsRecord& p) {
  if (!ReadInteger(w, kNetNumberField, p.netNumber)) return false;
  for (const ChoiceStep& step : kLineChoices) {
    if (!ReadChoice(w, step, p)) return false;
  }
  if (!ReadInteger(w, kMeterPortField, p.port)) return false;
  const auto ip = ParseIpAddress(w.Text("Edit1"));
  if (!ip) return Fail(w, "Ошибка ввода ip-адреса");
  p.ip = *ip;
  return ReadChoice(w, kTimeoutChoice, p);
}

}  // namespace kamt
