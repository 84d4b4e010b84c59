#include "setup/modem_dial.h"

#include <array>
#include <cstdint>

#include "link/frame_buffers.h"
#include "link/serial_port.h"
#include "setup/modem_dial_answer.h"
#include "setup/modem_dial_io.h"
#include "setup/modem_hang_up.h"
#include "setup/phone_list.h"
#include "setup/window.h"
#include "text/cp1251.h"

namespace kamt {
namespace {

// The dial command and the modem's answer each have a buffer of 256 bytes, a terminating
// zero included: "ATD", at most 251 characters of number and CR; at most 255 answer bytes.
constexpr std::size_t kCommandBufferSize = 256;
constexpr std::size_t kAnswerBufferSize = 256;

std::span<const std::uint8_t> AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace

ModemDial::ModemDial(Window& form, SerialPort& port, Clock& clock, std::filesystem::path phoneListPath)
    : form_(form), port_(port), clock_(clock), phoneListPath_(std::move(phoneListPath)) {}

void ModemDial::FormCreate() {
  result_ = Result::None;
  numbers_ = LoadPhoneList(phoneListPath_, &listRefused_);
  ShowNumbers();
}

void ModemDial::FormShow() {
  result_ = Result::None;
  if (listRefused_) {
    form_.SetStatusText(0, "Список номеров не прочитан: файл " + phoneListPath_.string() + " больше " +
                               std::to_string(kPhoneListLimit / 1024) + " КиБ, он не будет перезаписан");
  }
}

std::string ModemDial::TelNumText() const { return form_.Text("TelNum_ComboBox"); }

void ModemDial::ShowNumbers() { form_.SetItems("TelNum_ComboBox", numbers_); }

// A number with a line break, or with a character the file's code page lacks, would come
// back from the file as another number: the list refuses it.
void ModemDial::Add_ButtonClick() {
  const std::string number = TelNumText();
  if (!StorableNumber(number)) {
    form_.ShowMessageBox("Ошибка!", "Не могу добавить номер телефона", MessageIcon::Warning);
    return;
  }
  numbers_.push_back(number);
  ShowNumbers();
}

void ModemDial::Delete_ButtonClick() {
  const int selected = form_.ItemIndex("TelNum_ComboBox");
  if (selected < 0 || static_cast<std::size_t>(selected) >= numbers_.size()) return;
  numbers_.erase(numbers_.begin() + selected);
  ShowNumbers();
}

void ModemDial::Button1Click() {
  AbortDial();
  form_.SetStatusText(0, "Прервано пользователем");
}

void ModemDial::FormClose() {
  if (listRefused_) return;
  if (!SavePhoneList(phoneListPath_, numbers_)) {
    form_.ShowMessageBox("Ошибка!", "Не могу сохранить номера телефонов", MessageIcon::Warning);
  }
}

void ModemDial::ShowError(std::string_view text) { form_.ShowMessageBox("Ошибка!", text, MessageIcon::Error); }

void ModemDial::AppendTranscript(std::string_view prefix, std::string_view bytes) {
  for (const std::string& line : TranscriptLines(prefix, bytes)) form_.AppendLine("Memo1", line);
}

void ModemDial::Connect_ButtonClick() {
  if (dialling_) return;  // a click that was queued before the button went grey
  if (!port_.IsOpen()) {
    ShowError("Порт не открыт!");
    return;
  }
  // The number goes out as typed, in the code page of the line.
  const std::string command = Utf8ToCp1251("ATD" + TelNumText() + "\r");
  if (command.size() >= kCommandBufferSize) {
    ShowError("Номер телефона длиннее 251 знака");
    return;
  }
  // A second dial must not start inside this one: it would share the port and the answer.
  dialling_ = true;
  form_.SetEnabled("Connect_Button", false);
  Dial(command);
  form_.SetEnabled("Connect_Button", true);
  dialling_ = false;
}

void ModemDial::Dial(const std::string& command) {
  ModemWrite(port_, AsBytes(command));
  AppendTranscript(">>", command);
  form_.SetStatusText(0, "Ожидание ответа от модема...");
  DialAbort = false;
  std::array<std::uint8_t, kAnswerBufferSize - 1> answer{};
  std::size_t received = 0;
  while (!DialAbort) {
    if (received == answer.size()) {
      // The answer would run past its buffer before any line end: it is no answer a modem gives.
      const std::string_view text(reinterpret_cast<const char*>(answer.data()), received);
      AppendTranscript("<<", text);
      form_.SetStatusText(0, "Соединение не установлено");
      ShowError("Ответ модема длиннее 255 байт без конца строки");
      HangUpIfOnline(text);
      return;
    }
    const std::size_t n = ModemRead(port_, std::span(answer).subspan(received), form_, clock_, DialAbort);
    if (n == 0) {
      if (!port_.IsOpen()) ShowError("Порт не открыт!");
      return;
    }
    received += n;
    const std::string_view text(reinterpret_cast<const char*>(answer.data()), received);
    if (AnswerComplete(text)) HandleAnswer(text);
  }
}

void ModemDial::HandleAnswer(std::string_view answer) {
  AppendTranscript("<<", answer);
  form_.SetStatusText(0, "Ответ получен");
  // A later keyword overrides an earlier one; only the one that decides is shown, so an answer
  // holding both "CONNECT" and "OK" has one outcome.
  const DialKeyword* decides = nullptr;
  for (const DialKeyword& keyword : DialKeywords) {
    if (answer.find(keyword.text) != std::string_view::npos) decides = &keyword;
  }
  if (decides) {
    form_.SetStatusText(0, decides->status);
    result_ = decides->connected ? Result::Ok : Result::None;
  }
  form_.ProcessEvents();
  // The dial ends with its first complete answer, whatever it held.
  DialAbort = true;
  HangUpIfOnline(answer);
}

// A modem that said "CONNECT" may be online though the answer counts as no connection: left so,
// the call would stay up (and be paid for) behind a dialog that says it is not, and a second
// dial would reach the far end as data. It is hung up as "Разорвать соединение" does.
void ModemDial::HangUpIfOnline(std::string_view answer) {
  if (result_ == Result::Ok || answer.find(DialKeywords[0].text) == std::string_view::npos) return;
  FrameBuffers frames;
  HangUpModem(port_, clock_, frames, [this](std::string_view prefix, std::span<const std::uint8_t> bytes) {
    AppendTranscript(prefix, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
  });
}

}  // namespace kamt
