#include "sim_options.h"

#include <gtest/gtest.h>

#include "meter_plan.h"
#include "sim_test_util.h"

namespace kamt::sim {
namespace {

TEST(SimOptions, ReadsOptionsAndRefusesWhatItDoesNotKnow) {
  const auto parsed = ParseCommandLine({"--fault", "archive-fail-index:0x10", "--fault", "endless", "--fault",
                                        "write-echo:count", "--line", "2400:7O2", "--start", "2024-02-29 23:59:59"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const SimOptions& o = *parsed.options;
  const std::vector<int> values = {16, kDefaultEndlessPeriodMs, static_cast<int>(WriteEcho::Count)};
  for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(o.faults.at(i).value, values[i]);
  EXPECT_TRUE(o.line->baud == 2400 && o.line->dataBits == 7 && o.line->parity == 'O' && o.line->stopBits == 2);
  EXPECT_EQ(o.start, At(2024, 3, 1) - 1000);
  const std::vector<std::vector<std::string>> bad = {
      {"--frobnicate"}, {"--address"}, {"--address", "0"}, {"--fault", "crc:5"}, {"--fault", "delay"},
      {"--no-serial"}, {"--fault", "wrong-function:5"}, {"--fault", "write-echo:2"}, {"--line", "9600:8X1"},
      {"--addresses", "1,2,1"}, {"--fleet", "2", "--address", "1"}, {"--fleet-fault", "1:silent"},
      {"--serial-numbers", "5,6"}, {"--start", "2026-02-30 10:00:00"}};
  for (const auto& args : bad) {
    const auto refused = ParseCommandLine(args);
    EXPECT_FALSE(refused.options) << args[0] << " " << args.back();
    EXPECT_EQ(refused.error.find('\n'), std::string::npos);
  }
}

// A bus counts serial numbers up from the first; a fleet numbers its meters 1, 2, ... as far
// as a bus goes.
TEST(SimOptions, PlansTheMetersOfABusOrAFleet) {
  const std::tuple<std::vector<std::string>, std::size_t, int, int, int> cases[] = {  // meters, last address, serial, on bus
      {{"--address", "5", "--serial-number", "10"}, 1, 5, 10, 1},
      {{"--address", "1", "--addresses", "17,200"}, 3, 200, 1236, 3},
      {{"--addresses", "3,4", "--serial-numbers", "7,9"}, 2, 4, 9, 2},
      {{"--fleet", "250"}, 250, 3, 1234 + 249, 247}};
  for (const auto& [args, count, address, serial, onBus] : cases) {
    std::string error;
    const auto plan = PlanMeters(*ParseCommandLine(args).options, error);
    ASSERT_TRUE(plan && plan->meters.size() == count) << args[1];
    EXPECT_TRUE(plan->meters.back().address == address && plan->meters.back().serialNumber == serial) << args[1];
    EXPECT_EQ(plan->onBus, static_cast<std::size_t>(onBus)) << args[1];
  }
}

}  // namespace
}  // namespace kamt::sim
