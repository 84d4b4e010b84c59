// An RTU answer as it comes off the line, through the checks, every decoder a service runs and
// what it shows or writes of the result. An input whose CRC does not check is also tried with
// its right CRC appended, so that mutated answers reach the decoders and not only the CRC test.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cli/field_assignments.h"
#include "fake_window.h"
#include "link/check_response.h"
#include "link/crc16.h"
#include "link/modbus.h"
#include "meter/archive_decode.h"
#include "meter/archive_file.h"
#include "meter/comm_params_view.h"
#include "meter/config_report.h"
#include "meter/current_data.h"
#include "meter/meter_clock_view.h"
#include "meter/meter_config_codec.h"
#include "meter/meter_config_view.h"
#include "text/cp1251.h"

namespace {

using kamt::test::FakeWindow;

// The data area of a service, as CheckResponse fills it for the service's own request; nothing
// when it refuses the answer.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> Accepted(std::uint8_t function, std::uint16_t start,
                                                    std::span<const std::uint8_t> pdu, int len) {
  const std::array<std::uint8_t, 4> data = {static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
                                            0, static_cast<std::uint8_t>(N / 2)};
  std::array<std::uint8_t, N> area{};
  const kamt::Verdict verdict = kamt::CheckResponse({function, data, 0}, pdu, len, area);
  if (verdict.accepted != verdict.text.empty()) __builtin_trap();  // a refusal always says why
  if (!verdict) return std::nullopt;
  return area;
}

// Every text the program writes into a file must have its Windows-1251 form.
void MustEncode(const std::string& utf8) {
  if (kamt::Cp1251ToUtf8(kamt::Utf8ToCp1251(utf8)) != utf8) __builtin_trap();
}

void Current(std::span<const std::uint8_t> pdu, int len) {
  const auto area = Accepted<kamt::kCurrentDataSize>(0x04, 0x1000, pdu, len);
  if (!area) return;
  const auto record = kamt::DecodeCurrentData(*area);
  FakeWindow window;
  kamt::ShowCurrentData(record, window, ",");
}

void Config(std::span<const std::uint8_t> pdu, int len) {
  const auto area = Accepted<kamt::kMeterConfigSize>(0x03, 0x0008, pdu, len);
  if (!area) return;
  const kamt::MeterConfigRecord config = kamt::DecodeMeterConfig(*area);
  // What is written back is what was read, register for register (the clock is never written).
  const auto written = kamt::EncodeMeterConfig(config);
  if (!std::equal(written.begin(), written.end(), area->end() - written.size())) __builtin_trap();
  FakeWindow window;
  kamt::FillComboLists(window);
  kamt::ShowMeterConfig(config, window, ",");
  MustEncode(kamt::FormatConfigReport(config, window.Text("ComboBox11")));
}

void Clock(std::span<const std::uint8_t> pdu, int len) {
  const auto area = Accepted<kamt::kMeterClockSize>(0x03, 0x0008, pdu, len);
  if (!area) return;
  kamt::MeterClockRecord clock = kamt::DecodeMeterClock(*area);
  if (kamt::EncodeMeterClock(clock) != *area) __builtin_trap();
  FakeWindow window;
  kamt::FillComboLists(window);
  kamt::ShowMeterClock(clock, window);
  // A day of week past the list becomes Sunday; one below it selects nothing.
  if (window.ItemIndex("DayOfWeek_ComboBox") != (clock.dayOfWeek >= 0 ? clock.dayOfWeek : -1)) __builtin_trap();
}

void Comm(std::span<const std::uint8_t> pdu, int len) {
  const auto area = Accepted<kamt::kCommParamsSize>(0x03, 0x0000, pdu, len);
  if (!area) return;
  const kamt::CommParamsRecord params = kamt::DecodeCommParams(*area);
  if (kamt::EncodeCommParams(params) != *area) __builtin_trap();
  FakeWindow window;
  kamt::FillComboLists(window);
  kamt::ShowCommParams(params, window);
}

void Archive(std::span<const std::uint8_t> pdu, int len) {
  // Whichever archive the answer claims to be: the check wants the kind asked for.
  const std::uint8_t function = len > 0 && kamt::modbus::IsArchiveFunction(pdu[0]) ? pdu[0] : 0x46;
  const auto area = Accepted<kamt::kArchiveRecordSize>(function, 0, pdu, len);
  if (!area) return;
  const kamt::ArchiveRecord record = kamt::DecodeArchiveRecord(*area);
  for (const auto kind : {kamt::ArchiveKind::Hourly, kamt::ArchiveKind::Daily, kamt::ArchiveKind::Monthly}) {
    // The bytes the meter leaves unused choose the counters' decimals and the sensor.
    const kamt::ArchiveFileFormat format{kind, record.voltage, area->at(36), area->at(37), area->at(38)};
    MustEncode(kamt::FormatArchiveRow(format, kamt::ArchiveRecord{}, record));
    MustEncode(kamt::FormatArchiveRow(format, record, kamt::ArchiveRecord{}));
  }
}

void Answer(std::span<const std::uint8_t> frame) {
  // The answer lands in the 256-byte RxBuffer; the read never takes more than was asked for.
  std::array<std::uint8_t, 256> rx{};
  const std::size_t n = std::min(frame.size(), rx.size());
  std::copy_n(frame.begin(), n, rx.begin());
  if (kamt::Crc16Check(rx, static_cast<std::uint8_t>(n)) != 0) return;
  const int len = static_cast<int>(n) - 3;
  const auto pdu = std::span<const std::uint8_t>(rx).subspan(1);
  Current(pdu, len);
  Config(pdu, len);
  Clock(pdu, len);
  Comm(pdu, len);
  Archive(pdu, len);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> frame(data, size);
  Answer(frame);
  if (size <= 253) {
    std::vector<std::uint8_t> withCrc(frame.begin(), frame.end());
    withCrc.resize(size + 2);
    kamt::Crc16Append(withCrc, static_cast<std::uint8_t>(size));
    Answer(withCrc);
  }
  return 0;
}
