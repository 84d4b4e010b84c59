#include <gtest/gtest.h>

#include "fake_serial_port.h"
#include "hex.h"
#include "link/traffic_decoder.h"
#include "link/traffic_line.h"

namespace kamt {
namespace {

using test::Hex;
constexpr auto TX = TrafficDirection::Sent;
constexpr auto RX = TrafficDirection::Received;
constexpr auto Rtu = TrafficKind::Rtu;
constexpr auto Tcp = TrafficKind::Tcp;
constexpr auto TcpLate = TrafficKind::TcpLate;
constexpr auto Modem = TrafficKind::ModemText;

struct DecodeCase {
  const char* name;
  TrafficDirection direction;
  TrafficKind kind;
  const char* frame;  // hex, then "+N" for N zero bytes (register values, a record), then "crc"
  const char* summary;
  bool fault;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

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

class TrafficDecoder : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TrafficDecoder, SummarisesTheFrame) {
  const DecodeCase& c = GetParam();
  const TrafficSummary summary = DescribeTraffic(c.direction, c.kind, FrameOf(c.frame));
  EXPECT_EQ(summary.text, c.summary);
  EXPECT_EQ(summary.fault, c.fault);
  EXPECT_EQ(summary.text.find_first_of("\t\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(RtuRequests, TrafficDecoder, ::testing::Values(
    DecodeCase{"current", TX, Rtu, "01 04 10 00 00 30 F4 DE",
               "0x04 чтение входных регистров; начало 0x1000, количество 48; адрес 1", false},
    DecodeCase{"clock_write", TX, Rtu, "01 10 00 08 00 07 0E +14 crc",
               "0x10 запись регистров; начало 0x0008, количество 7, байт: 14; адрес 1", false},
    DecodeCase{"write_short_of_its_count", TX, Rtu, "01 10 00 08 00 07 0E 00 01 crc",
               "0x10 запись регистров; начало 0x0008, количество 7, байт: 14; данных: 2; адрес 1", true},
    DecodeCase{"hourly", TX, Rtu, "05 46 00 05 crc", "0x46 часовой архив; запись 5; адрес 5", false},
    DecodeCase{"read_without_count", TX, Rtu, "01 04 10 00 crc",
               "0x04 чтение входных регистров; кадр неполон, байт данных: 2 из 4; адрес 1", true},
    DecodeCase{"read_with_a_tail", TX, Rtu, "01 03 00 08 00 07 00 crc",
               "0x03 чтение регистров хранения; начало 0x0008, количество 7; лишних байт: 1; адрес 1", false}));

INSTANTIATE_TEST_SUITE_P(RtuAnswers, TrafficDecoder, ::testing::Values(
    DecodeCase{"current", RX, Rtu, "01 04 60 +96 crc", "0x04 чтение входных регистров; байт: 96; адрес 1", false},
    DecodeCase{"fewer_than_its_count", RX, Rtu, "01 03 10 +10 crc",
               "0x03 чтение регистров хранения; байт: 16; пришло: 10; адрес 1", true},
    DecodeCase{"write_echo", RX, Rtu, "01 10 00 0F 00 1B crc",
               "0x10 запись регистров; начало 0x000F, количество 27; адрес 1", false},
    DecodeCase{"write_echo_with_a_tail", RX, Rtu, "01 10 00 0F 00 1B 00 crc",
               "0x10 запись регистров; начало 0x000F, количество 27; лишних байт: 1; адрес 1", true},
    DecodeCase{"hourly_record", RX, Rtu, "01 46 00 05 0A 0E 03 18 +36 crc",
               "0x46 часовой архив; запись 5 от 14.03.2024 10:00; адрес 1", false},
    DecodeCase{"monthly_record_cut", RX, Rtu, "01 48 00 02 00 01 06 15 +10 crc",
               "0x48 месячный архив; запись 2 от 01.06.2021 00:00; запись неполна, байт: 14 из 40; адрес 1", true},
    DecodeCase{"record_without_index", RX, Rtu, "01 47 00 crc",
               "0x47 суточный архив; кадр неполон, байт данных: 1 из 2; адрес 1", true},
    DecodeCase{"unknown_function", RX, Rtu, "01 05 00 00 crc", "функция 0x05 неизвестна; адрес 1", true},
    DecodeCase{"crc_fault_only", TX, Rtu, "01 04 10 00 00 30 F5 DE",
               "0x04 чтение входных регистров; начало 0x1000, количество 48; адрес 1; CRC неверна", true},
    DecodeCase{"three_bytes", RX, Rtu, "01 04 60", "короткий кадр, байт: 3; адрес 1", true},
    DecodeCase{"nothing_came", RX, Rtu, "", "нет ответа", true}));

INSTANTIATE_TEST_SUITE_P(Exceptions, TrafficDecoder, ::testing::Values(
    DecodeCase{"named_2", RX, Rtu, "01 84 02 crc", "0x84 исключение 0x02: Недопустимый адрес данных!; адрес 1", true},
    DecodeCase{"unnamed_8B", RX, Rtu, "01 C8 8B crc", "0xC8 исключение 0x8B: Ошибка: 0х8B; адрес 1", true},
    DecodeCase{"without_code", RX, Rtu, "01 84 crc", "0x84 исключение без кода; адрес 1", true}));

INSTANTIATE_TEST_SUITE_P(ModbusTcp, TrafficDecoder, ::testing::Values(
    // The master counts transactions low byte first.
    DecodeCase{"transaction_low_byte_first", TX, Tcp, "34 12 00 00 00 06 FF 03 00 08 00 07",
               "0x03 чтение регистров хранения; начало 0x0008, количество 7; "
               "транзакция 4660, протокол 0, длина 6, устройство 255", false},
    DecodeCase{"archive_request_with_its_fourth_byte", TX, Tcp, "02 00 00 00 00 05 FF 46 00 07 00",
               "0x46 часовой архив; запись 7; транзакция 2, протокол 0, длина 5, устройство 255", false},
    DecodeCase{"answer", RX, Tcp, "07 00 00 00 00 63 FF 04 60 +96",
               "0x04 чтение входных регистров; байт: 96; транзакция 7, протокол 0, длина 99, устройство 255", false},
    DecodeCase{"wrong_protocol", RX, Tcp, "01 00 00 01 00 03 FF 84 02",
               "0x84 исключение 0x02: Недопустимый адрес данных!; "
               "транзакция 1, протокол 1, длина 3, устройство 255; протокол не 0", true},
    DecodeCase{"wrong_unit_alone", RX, Tcp, "01 00 00 00 00 03 00 04 00",
               "0x04 чтение входных регистров; байт: 0; "
               "транзакция 1, протокол 0, длина 3, устройство 0; устройство не 255", true},
    DecodeCase{"length_one_too_many", RX, Tcp, "01 00 00 00 00 04 FF 90 05",
               "0x90 исключение 0x05: Ошибка: 0х05; "
               "транзакция 1, протокол 0, длина 4, устройство 255; не хватает байт: 1", true},
    DecodeCase{"two_frames_at_once", RX, Tcp, "01 00 00 00 00 06 FF 10 00 08 00 07 01 00",
               "0x10 запись регистров; начало 0x0008, количество 7; "
               "транзакция 1, протокол 0, длина 6, устройство 255; за кадром ещё байт: 2", true},
    DecodeCase{"length_zero", RX, Tcp, "01 00 00 00 00 00 FF 04",
               "нет кода функции; транзакция 1, протокол 0, длина 0, устройство 255; за кадром ещё байт: 2", true},
    DecodeCase{"short", RX, Tcp, "01 00 00 00 00 03", "короткий кадр, байт: 6", true},
    DecodeCase{"late", RX, TcpLate, "05 00 00 00 00 03 FF 84 02",
               "опоздавшие байты, отброшены; 0x84 исключение 0x02: Недопустимый адрес данных!; "
               "транзакция 5, протокол 0, длина 3, устройство 255", true}));

INSTANTIATE_TEST_SUITE_P(ModemTexts, TrafficDecoder, ::testing::Values(
    DecodeCase{"connect", RX, Modem, "0D 0A 43 4F 4E 4E 45 43 54 20 39 36 30 30 0D 0A",
               "модем: <CR><LF>CONNECT 9600<CR><LF>", false},
    DecodeCase{"windows_1251", RX, Modem, "CD C5 D2 20 CB C8 CD C8 C8", "модем: НЕТ ЛИНИИ", false},
    DecodeCase{"controls", RX, Modem, "1B 41 09 7F 98 00", "модем: <1B>A<09><7F><98><00>", false}));

// Bytes are two upper-case digits each, parted by blanks.
TEST(TrafficLine, ColumnsAreTimeDirectionBytesAndSummary) {
  const TrafficEvent sent{45296789, TX, Rtu, Hex("01 04 10 00 00 30 F4 DE")};
  EXPECT_EQ(TrafficLineText(sent),
            "12:34:56.789\tTX\t01 04 10 00 00 30 F4 DE\t"
            "0x04 чтение входных регистров; начало 0x1000, количество 48; адрес 1");
  const TrafficEvent silence{45299800, RX, Rtu, {}};
  EXPECT_EQ(TrafficLineText(silence), "12:34:59.800\tRX\t\tнет ответа");
  EXPECT_TRUE(FormatTrafficLine(silence).fault);
  EXPECT_FALSE(FormatTrafficLine(sent).fault);
  EXPECT_EQ(TimeOfDayText(86399999), "23:59:59.999");
}

}  // namespace
}  // namespace kamt
