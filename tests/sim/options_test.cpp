#include "sim_options.h"

#include <gtest/gtest.h>

namespace kamt::sim {
namespace {

TEST(SimOptions, ReadsOptionsAndRefusesWhatItDoesNotKnow) {
  const auto parsed = ParseCommandLine({"--tcp", "0", "--no-serial", "--address=7", "--status", "0x00104001",
                                        "--fault", "archive-fail-index:0x10", "--fault", "endless",
                                        "--fault", "wrong-function:0x46", "--fault", "write-echo:count"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const SimOptions& o = *parsed.options;
  EXPECT_TRUE(o.tcpPort == 0 && !o.serial && o.meter.address == 7 && o.meter.status == 0x00104001u);
  ASSERT_EQ(o.faults.size(), 4u);
  EXPECT_TRUE(o.faults[0].mode == FaultMode::ArchiveFailIndex && o.faults[0].value == 16);
  EXPECT_TRUE(o.faults[1].mode == FaultMode::Endless && o.faults[1].value == kDefaultEndlessPeriodMs);
  EXPECT_TRUE(o.faults[2].value == 0x46 && o.faults[3].value == static_cast<int>(WriteEcho::Count));
  const std::vector<std::vector<std::string>> bad = {
      {"--frobnicate"},     {"--address"},        {"--address", "0"},     {"--hour-records", "65536"},
      {"--fault", "crc:5"}, {"--fault", "delay"}, {"--fault", "noise:0"}, {"--no-serial"}};
  for (const auto& args : bad) {
    const auto refused = ParseCommandLine(args);
    EXPECT_FALSE(refused.options) << args[0] << " " << args.back();
    EXPECT_EQ(refused.error.find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace kamt::sim
