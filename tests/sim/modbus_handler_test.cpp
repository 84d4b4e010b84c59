#include "modbus_handler.h"

#include <gtest/gtest.h>

#include "meter/registers.h"
#include "sim_test_util.h"

namespace kamt::sim {
namespace {

class SimModbusHandler : public test::MeterTest {
 protected:
  Bytes Ask(std::string_view hex, Millis at) { return handler_.Answer(FromHex(hex), at); }
  Bytes Ask(std::string_view hex) { return Ask(hex, test::StartTime()); }
  std::vector<std::uint16_t> Registers(std::string_view read, Millis at) {
    const Bytes answer = Ask(read, at);
    const RegisterView view{std::span<const std::uint8_t>(answer).subspan(2)};
    std::vector<std::uint16_t> regs(answer.at(1) / 2u);
    for (std::size_t i = 0; i < regs.size(); ++i) regs[i] = view.U16(i);
    return regs;
  }
};

struct Case {
  const char* request;
  const char* answerStart;  // the whole answer when it is an exception
  std::size_t answerSize;
};

TEST_F(SimModbusHandler, AnswersOrRefusesEachRequestAsModbusSays) {
  const Case cases[] = {
      {"04 10 00 00 30", "04 60", 98},   {"04 10 2F 00 01", "04 02", 4},
      {"04 10 2F 00 02", "84 02", 2},  // runs past the block
      {"04 0F FF 00 01", "84 02", 2},   {"04 10 00 00 00", "84 03", 2}, {"04 10 00 00 7E", "84 03", 2},
      {"03 00 00 00 2A", "03 54", 86},  {"03 00 29 00 01", "03 02", 4}, {"03 00 00 00 2B", "83 02", 2},
      {"03 00 00 00 00", "83 03", 2},   {"03 00 00 00 7E", "83 03", 2},
      {"03 00 00 00", "83 03", 2},  // cut short
      {"10 00 0F 00 01 02 12 34", "10 00 0F 00 01", 5},
      {"10 00 0F 00 01 04 12 34 56 78", "90 03", 2},  // byte count is not twice the count
      {"10 00 0F 00 02 04 12 34", "90 03", 2},        // fewer bytes than announced
      {"10 00 0F 00 00 00", "90 03", 2},  {"10 00 29 00 02 04 00 00 00 00", "90 02", 2},
      {"05 00 01 FF 00", "85 01", 2},
      {"46 00 00", "46 00 00", 43},
      {"46 02 CF 00", "46 02 CF", 43},  // the master's TCP form with a fourth byte
      {"46 02 D0 00", "C6 02", 2},      // one past the 720 records
      {"47 00 3D", "47 00 3D", 43},     {"47 00 3E", "C7 02", 2},
      {"48 00 17", "48 00 17", 43},     {"48 FF FF", "C8 02", 2},
      {"46 00", "C6 03", 2},            {"46 00 00 00 00", "C6 03", 2},
  };
  for (const Case& c : cases) {
    const Bytes answer = Ask(c.request);
    const Bytes start = FromHex(c.answerStart);
    ASSERT_EQ(answer.size(), c.answerSize) << c.request;
    EXPECT_TRUE(std::equal(start.begin(), start.end(), answer.begin())) << c.request;
  }
}

TEST_F(SimModbusHandler, WrittenRegistersReadBack) {
  const Bytes config = FromHex(
      "40 20 00 00 42 C8 00 00 3F 00 00 00 42 48 00 00 40 A0 00 00 3E 80 00 00"  // six floats
      "00 07 00 10 00 03 00 02 00 05 00 11 04 57 00 00 00 03"                    // 0x001B-0x0023
      "41 20 00 00 43 16 00 00 00 02 00 00");
  Bytes write = FromHex("10 00 0F 00 1B 36");
  write.insert(write.end(), config.begin(), config.end());
  EXPECT_EQ(handler_.Answer(write, test::StartTime()), FromHex("10 00 0F 00 1B"));
  const Bytes back = Ask("03 00 0F 00 1B");
  EXPECT_EQ(Bytes(back.begin() + 2, back.end()), config);
  // The serial number and sensor type of the configuration are the ones current data shows.
  const auto current = Registers("04 10 00 00 30", test::StartTime());
  EXPECT_EQ(current[29], 1111);
  EXPECT_EQ(current[47], 2);
}

TEST_F(SimModbusHandler, ClockRunsAndAWriteSetsIt) {
  const Millis t0 = test::StartTime();  // Sunday 2026-03-15 10:20:30
  EXPECT_EQ(Registers("03 00 08 00 07", t0), (std::vector<std::uint16_t>{30, 20, 10, 15, 0, 3, 2026}));
  EXPECT_EQ(Registers("03 00 08 00 07", t0 + 61'000), (std::vector<std::uint16_t>{31, 21, 10, 15, 0, 3, 2026}));

  // 12:05:30 on Tuesday 9 March 2021, as the master writes it.
  EXPECT_EQ(Ask("10 00 08 00 07 0E 00 1E 00 05 00 0C 00 09 00 02 00 03 07 E5", t0 + 5000),
            FromHex("10 00 08 00 07"));
  EXPECT_EQ(Registers("03 00 08 00 07", t0 + 15'000), (std::vector<std::uint16_t>{40, 5, 12, 9, 2, 3, 2021}));
  const auto current = Registers("04 10 00 00 30", t0 + 15'000);
  EXPECT_EQ(std::vector<std::uint16_t>(current.begin() + 37, current.begin() + 43),
            (std::vector<std::uint16_t>{40, 5, 12, 9, 3, 2021}));

  // A time that does not exist is refused and changes nothing.
  EXPECT_EQ(Ask("10 00 0A 00 01 02 00 18", t0 + 15'000), FromHex("90 03"));  // hour 24
  EXPECT_EQ(Ask("10 00 0B 00 03 06 00 1E 00 02 00 02", t0 + 15'000), FromHex("90 03"));  // 30 February
  EXPECT_EQ(Registers("03 00 0A 00 01", t0 + 15'000), std::vector<std::uint16_t>{12});
}

TEST_F(SimModbusHandler, CurrentDataCarriesTheSettingsAndGrowsWithTime) {
  const Millis t0 = test::StartTime();
  const auto a = Registers("04 10 00 00 30", t0);
  const auto b = Registers("04 10 00 00 30", t0 + 3'600'000);
  // Status bits 0-15 come first; then the decimals, serial number, record counts and sensor type.
  const std::pair<std::size_t, std::uint16_t> fields[] = {{0, 0x0001}, {1, 0},   {6, 2},   {9, 2},  {29, 1234},
                                                          {30, 720},   {31, 62}, {32, 24}, {47, 1}};
  for (const auto& [reg, value] : fields) EXPECT_EQ(a[reg], value) << "register " << reg;
  auto u32 = [](const std::vector<std::uint16_t>& r, std::size_t k) { return std::uint32_t{r[k]} << 16 | r[k + 1]; };
  auto u64 = [&](const std::vector<std::uint16_t>& r, std::size_t k) { return std::uint64_t{u32(r, k)} << 32 | u32(r, k + 2); };
  EXPECT_GT(u64(b, 17), u64(a, 17));
  EXPECT_GE(u64(b, 21), u64(a, 21));
  EXPECT_EQ(u32(b, 27) - u32(a, 27), 3600u);
  EXPECT_LE(u32(b, 25) - u32(a, 25), 3600u);
  EXPECT_LE(u32(a, 25), u32(a, 27));  // it cannot have worked longer than it has run
  const float flow = std::bit_cast<float>(u32(a, 2));
  EXPECT_GT(flow, 1.0f);
  EXPECT_LT(flow, 30.0f);
}

}  // namespace
}  // namespace kamt::sim
