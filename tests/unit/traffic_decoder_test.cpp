// The traffic monitor's lines: what each frame says, the log of the newest ones, its file.
#include <fstream>
#include <gtest/gtest.h>

#include "fake_serial_port.h"
#include "hex.h"
#include "link/traffic_decoder.h"
#include "link/traffic_file.h"
#include "link/traffic_line.h"
#include "link/traffic_log.h"
#include "temp_dir.h"
#include "text/text_file.h"

namespace kamt {
namespace {

using test::Hex;
constexpr auto TX = TrafficDirection::Sent;
constexpr auto RX = TrafficDirection::Received;
constexpr auto Rtu = TrafficKind::Rtu;
constexpr auto Tcp = TrafficKind::Tcp;
constexpr auto TcpLate = TrafficKind::TcpLate;
constexpr auto Modem = TrafficKind::ModemText;

// "01 04 60 +96 crc": hex, then "+N" for N zero bytes (register values, a record), then "crc".
std::vector<std::uint8_t> FrameOf(std::string_view text) {
  const bool crc = text.ends_with(" crc");
  if (crc) text.remove_suffix(4);
  std::size_t zeros = 0;
  if (const auto plus = text.find('+'); plus != std::string_view::npos) {
    zeros = std::stoul(std::string(text.substr(plus + 1)));
    text = text.substr(0, plus);
  }
  std::vector<std::uint8_t> frame = Hex(text);
  frame.resize(frame.size() + zeros);
  return crc ? test::WithCrc(frame) : frame;
}

// What a frame says, one line for the monitor: requests, answers, exceptions (the master counts
// Modbus TCP transactions low byte first), the faults of each, and the modem's texts.
TEST(TrafficDecoder, SummarisesTheFrame) {
  const std::tuple<TrafficDirection, TrafficKind, const char*, const char*, bool> cases[] = {
      {TX, Rtu, "01 04 10 00 00 30 F4 DE",
       "0x04 чтение входных регистров; начало 0x1000, количество 48; адрес 1", false},
      {TX, Rtu, "01 10 00 08 00 07 0E 00 01 crc",
       "0x10 запись регистров; начало 0x0008, количество 7, байт: 14; данных: 2; адрес 1", true},
      {TX, Rtu, "05 46 00 05 crc", "0x46 часовой архив; запись 5; адрес 5", false},
      {RX, Rtu, "01 03 10 +10 crc", "0x03 чтение регистров хранения; байт: 16; пришло: 10; адрес 1", true},
      {RX, Rtu, "01 10 00 0F 00 1B 00 crc",
       "0x10 запись регистров; начало 0x000F, количество 27; лишних байт: 1; адрес 1", true},
      {RX, Rtu, "01 46 00 05 0A 0E 03 18 +36 crc",
       "0x46 часовой архив; запись 5 от 14.03.2024 10:00; адрес 1", false},
      {RX, Rtu, "01 48 00 02 00 01 06 15 +10 crc",
       "0x48 месячный архив; запись 2 от 01.06.2021 00:00; запись неполна, байт: 14 из 40; адрес 1", true},
      {TX, Rtu, "01 04 10 00 00 30 F5 DE",
       "0x04 чтение входных регистров; начало 0x1000, количество 48; адрес 1; CRC неверна", true},
      {RX, Rtu, "", "нет ответа", true},
      {RX, Rtu, "01 84 02 crc", "0x84 исключение 0x02: Недопустимый адрес данных!; адрес 1", true},
      {RX, Rtu, "01 C8 8B crc", "0xC8 исключение 0x8B: Ошибка: 0х8B; адрес 1", true},
      {TX, Tcp, "34 12 00 00 00 06 FF 03 00 08 00 07",
       "0x03 чтение регистров хранения; начало 0x0008, количество 7; "
       "транзакция 4660, протокол 0, длина 6, устройство 255", false},
      {RX, Tcp, "07 00 00 00 00 63 FF 04 60 +96",
       "0x04 чтение входных регистров; байт: 96; транзакция 7, протокол 0, длина 99, устройство 255", false},
      {RX, Tcp, "01 00 00 01 00 03 FF 84 02",
       "0x84 исключение 0x02: Недопустимый адрес данных!; транзакция 1, протокол 1, длина 3, устройство 255; "
       "протокол не 0", true},
      {RX, Tcp, "01 00 00 00 00 06 FF 10 00 08 00 07 01 00",
       "0x10 запись регистров; начало 0x0008, количество 7; транзакция 1, протокол 0, длина 6, устройство 255; "
       "за кадром ещё байт: 2", true},
      {RX, TcpLate, "05 00 00 00 00 03 FF 84 02",
       "опоздавшие байты, отброшены; 0x84 исключение 0x02: Недопустимый адрес данных!; "
       "транзакция 5, протокол 0, длина 3, устройство 255", true},
      {RX, Modem, "0D 0A 43 4F 4E 4E 45 43 54 20 39 36 30 30 0D 0A", "модем: <CR><LF>CONNECT 9600<CR><LF>", false},
      {RX, Modem, "CD C5 D2 20 CB C8 CD C8 C8", "модем: НЕТ ЛИНИИ", false},
  };
  for (const auto& [direction, kind, frame, text, fault] : cases) {
    const TrafficSummary summary = DescribeTraffic(direction, kind, FrameOf(frame));
    EXPECT_EQ(summary.text, text) << frame;
    EXPECT_EQ(summary.fault, fault) << frame;
    EXPECT_EQ(summary.text.find_first_of("\t\r\n"), std::string::npos);
  }
}

// Bytes are two upper-case digits each, parted by blanks.
TEST(TrafficLine, ColumnsAreTimeDirectionBytesAndSummary) {
  EXPECT_EQ(TrafficLineText({45296789, TX, Rtu, Hex("01 46 00 05 20 0E")}),
            "12:34:56.789\tTX\t01 46 00 05 20 0E\t0x46 часовой архив; запись 5; адрес 1");
  EXPECT_EQ(TrafficLineText({86399999, RX, Rtu, {}}), "23:59:59.999\tRX\t\tнет ответа");
}

// A clock that moves on 1 ms with every reading.
struct SteppingTime {
  std::uint32_t next = 0;
  std::uint32_t operator()() { return next++; }
};

// Event i carries the bytes i, i >> 8.
void RecordNumbered(TrafficLog& log, int count) {
  for (int i = 0; i < count; ++i) {
    const std::uint8_t frame[] = {static_cast<std::uint8_t>(i & 0xFF), static_cast<std::uint8_t>(i >> 8)};
    log.Record(TX, TrafficKind::ModemText, frame);
  }
}

// The bytes of event n, or "gone".
std::string Kept(const TrafficLog& log, std::uint64_t n) {
  const TrafficEvent* e = log.Find(n);
  return e ? test::ToHex(e->bytes) : "gone";
}

// The newest ten thousand are kept; the text takes only the events still kept; Clear forgets
// all but goes on numbering.
TEST(TrafficLog, KeepsTheNewestTenThousandAndClearForgetsThem) {
  TrafficLog log;
  RecordNumbered(log, 10003);
  EXPECT_EQ(std::tuple(log.size(), log.FirstNumber(), log.EndNumber()), std::tuple(10000u, 3u, 10003u));
  for (const auto& [n, bytes] : {std::pair{2, "gone"}, {3, "03 00"}, {10002, "12 27"}, {10003, "gone"}}) {
    EXPECT_EQ(Kept(log, static_cast<std::uint64_t>(n)), bytes) << n;
  }
  TrafficLog two(2, SteppingTime{1000});
  RecordNumbered(two, 3);
  EXPECT_EQ(two.Text(0, 10, "|"), "00:00:01.001\tTX\t01 00\tмодем: <01><00>|00:00:01.002\tTX\t02 00\tмодем: <02><00>|");
  EXPECT_EQ(two.Text(2, 3, "\n"), "00:00:01.002\tTX\t02 00\tмодем: <02><00>\n");
  two.Clear();
  EXPECT_EQ(std::tuple(two.size(), two.FirstNumber(), two.EndNumber(), Kept(two, 2)), std::tuple(0u, 3u, 3u, "gone"));
  RecordNumbered(two, 1);
  EXPECT_EQ(Kept(two, 3), "00 00");
}

// Windows-1251 with tabs and CR LF; an empty log replaces an earlier file whole; a folder that
// is not there leaves nothing.
TEST(TrafficFile, IsWindows1251WithTabsAndCrLfWrittenWhole) {
  test::TempDir dir;
  std::ofstream(dir.path / "traffic.txt", std::ios::binary) << std::string(5000, 'x');
  ASSERT_TRUE(SaveTrafficLog(TrafficLog(), dir.path / "traffic.txt"));
  EXPECT_EQ(ReadFileBytes(dir.path / "traffic.txt"), "");
  TrafficLog log(kTrafficLogLimit, SteppingTime{45296789});
  log.Record(TX, TrafficKind::Rtu, Hex("01 46 00 05 20 0E"));
  log.Record(RX, TrafficKind::Rtu, {});
  ASSERT_TRUE(SaveTrafficLog(log, dir.path / "traffic.txt"));
  // "0x46 часовой архив; запись 5; адрес 1" and "нет ответа", byte for byte in Windows-1251.
  EXPECT_EQ(ReadFileBytes(dir.path / "traffic.txt"),
            "12:34:56.789\tTX\t01 46 00 05 20 0E\t0x46 \xF7\xE0\xF1\xEE\xE2\xEE\xE9 \xE0\xF0\xF5\xE8\xE2; "
            "\xE7\xE0\xEF\xE8\xF1\xFC 5; \xE0\xE4\xF0\xE5\xF1 1\r\n"
            "12:34:56.790\tRX\t\t\xED\xE5\xF2 \xEE\xF2\xE2\xE5\xF2\xE0\r\n");
  WriteFailure failure = WriteFailure::None;
  EXPECT_FALSE(SaveTrafficLog(log, dir.path / "missing" / "traffic.txt", nullptr, &failure));
  EXPECT_EQ(failure, WriteFailure::Create);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace kamt
