// The phone list file as any editor or disk may leave it, and a modem's answer as any line
// noise may make it: the list reads back exactly as it is written, and a dial reads no byte
// past its answer buffer and always ends.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fake_clock.h"
#include "fake_serial_port.h"
#include "fake_window.h"
#include "setup/modem_dial.h"
#include "setup/modem_dial_answer.h"
#include "setup/phone_list.h"
#include "text/cp1251.h"

namespace {

void CheckListRoundTrip(std::string_view bytes) {
  const std::vector<std::string> numbers = kamt::ParsePhoneList(bytes);
  for (const std::string& number : numbers) {
    if (!kamt::StorableNumber(number)) __builtin_trap();  // what a file gives, a file keeps
  }
  if (kamt::ParsePhoneList(kamt::Utf8ToCp1251(kamt::FormatPhoneList(numbers))) != numbers) __builtin_trap();
}

void CheckTranscript(std::string_view bytes) {
  for (const std::string& line : kamt::TranscriptLines("<<", bytes)) {
    for (const char c : line) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();  // no control byte gets through
    }
  }
}

// The modem answers the dial with the bytes, in pieces a little apart; a dial that never
// completes is cancelled after a while, as a user would.
void Dial(std::string_view bytes) {
  kamt::test::FakeClock clock;
  kamt::test::FakeSerialPort port{clock};
  kamt::test::FakeWindow form;
  port.Open("/dev/ttyFUZZ");
  kamt::ModemDial dial(form, port, clock);
  kamt::test::FakeSerialPort::Reply reply;
  for (std::size_t at = 0; at < bytes.size(); at += 7) {
    const std::string_view piece = bytes.substr(at, 7);
    reply.push_back({static_cast<int>(at * 50), {piece.begin(), piece.end()}});
  }
  port.replies.push_back(reply);
  const std::uint64_t giveUpAt = clock.now + bytes.size() * 50 + 60'000;
  form.onProcessEvents = [&] {
    if (clock.now >= giveUpAt) dial.Button1Click();
  };
  form.SetText("TelNum_ComboBox", "12345");
  dial.Connect_ButtonClick();
  if (dial.Dialling() || !form.Enabled("Connect_Button")) __builtin_trap();
  const bool connected = dial.result() == kamt::ModemDial::Result::Ok;
  if (connected && form.StatusText(0) != "Соединение установлено") __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckListRoundTrip(bytes);
  CheckTranscript(bytes);
  Dial(bytes);
  return 0;
}
