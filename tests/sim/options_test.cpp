#include "sim_options.h"

#include <gtest/gtest.h>

namespace kamt::sim {
namespace {

TEST(SimOptions, ReadsEveryKindOfOption) {
  const auto parsed = ParseCommandLine({"--tcp", "0", "--no-serial", "--address=7", "--baud", "19200",
                                        "--status", "0x00104001", "--month-records", "0", "--fault", "delay:250",
                                        "--fault", "archive-fail-index:0x10", "--fault", "endless", "--fault",
                                        "noise:65535", "--fault", "reset", "--fault-times", "3", "--modem",
                                        "--busy", "555", "--busy", "556", "--modem-echo", "off"});
  ASSERT_TRUE(parsed.options) << parsed.error;
  const SimOptions& o = *parsed.options;
  EXPECT_EQ(o.tcpPort, 0);
  EXPECT_FALSE(o.serial);
  EXPECT_EQ(o.meter.address, 7);
  EXPECT_EQ(o.baud, 19200u);
  EXPECT_EQ(o.meter.status, 0x00104001u);
  EXPECT_EQ(o.meter.monthRecords, 0);
  const std::vector<std::pair<FaultMode, int>> faults = {
      {FaultMode::Delay, 250}, {FaultMode::ArchiveFailIndex, 16}, {FaultMode::Endless, 300},
      {FaultMode::Noise, 65535}, {FaultMode::Reset, 0}};
  ASSERT_EQ(o.faults.size(), faults.size());
  for (std::size_t i = 0; i < faults.size(); ++i) {
    EXPECT_EQ(o.faults[i].mode, faults[i].first) << i;
    EXPECT_EQ(o.faults[i].value, faults[i].second) << i;
  }
  EXPECT_EQ(o.faultTimes, 3u);
  EXPECT_TRUE(o.modem);
  EXPECT_EQ(o.modemConfig.busy, (std::vector<std::string>{"555", "556"}));
  EXPECT_FALSE(o.modemConfig.echo);
}

TEST(SimOptions, RefusesWhatItDoesNotKnow) {
  const std::vector<std::vector<std::string>> bad = {
      {"--frobnicate"}, {"--address"},          {"--address", "0"},       {"--hour-records", "65536"},
      {"--fault", "crc:5"}, {"--fault", "delay"}, {"--fault", "exception:256"}, {"--archive-fault", "loud"},
      {"--no-serial"},  {"--modem-echo", "maybe"}, {"--tcp", "-1"},
      {"--fault", "noise"}, {"--fault", "noise:0"}, {"--fault", "noise:65536"}, {"--fault", "endless:x"},
      {"--fault", "reset:1"}, {"--fault", "resets"}};
  for (const auto& args : bad) {
    const auto parsed = ParseCommandLine(args);
    EXPECT_FALSE(parsed.options) << args[0] << " " << args.back();
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
  }
}

}  // namespace
}  // namespace kamt::sim
