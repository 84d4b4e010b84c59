// A peer that answers what was not asked, or more than was asked: kamt refuses it, shows and
// writes nothing wrong, and keeps its own output in order.
#include "e2e_fixture.h"

namespace kamt::test {
namespace {

struct HostileCase {
  const char* name;
  QStringList sim;
  bool serial;
  QStringList command;
  int exitCode;
  const char* err;  // somewhere in stderr
  int delayMs = 0;  // the pause before each serial archive request
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class HostilePeer : public E2eTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostilePeer, IsRefusedAndNothingWrongIsShownOrWritten) {
  const HostileCase& c = GetParam();
  WriteTextFile(dir.path / "Vedan_modbus.ini", "[Serial]\r\nDelay=" + std::to_string(c.delayMs) + "\r\n");
  StartSim(c.sim + QStringList{"--tcp", "0", "--hour-records", "6"});
  const ProgramResult r = Kamt(c.serial ? Serial(c.command) : Tcp(c.command));
  EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
  EXPECT_TRUE(Has(r.err, c.err)) << r.err;
  const bool written = std::filesystem::exists(dir.path / "KAMTarchH1234.txt");
  EXPECT_EQ(written, c.exitCode == 0);
  if (written) HourlyRows("KAMTarchH1234.txt");
  if (c.exitCode != 0) EXPECT_EQ(r.out, "");
  // The progress counter, rewritten in place, never shares a line with a trace line.
  for (const std::string& line : Lines(r.err)) EXPECT_FALSE(Has(line, "\r") && Has(line, "\t")) << line;
  // What the line carries while nobody listens is not kept: the flood stops where a bounded
  // buffer is full. (The meter said so, if at all, while kamt ran: the wait only fetches it.)
  EXPECT_FALSE(Sim().Logged("flood: 2 MiB taken"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HostilePeer,
    ::testing::Values(
        HostileCase{"WrongAddress", {"--fault", "wrong-address"}, true, {"current"}, 1, "Ответ от другого устройства!\n"},
        HostileCase{"WrongFunction", {"--fault", "wrong-function:3"}, true, {"current"}, 1,
                    "Ответ не соответствует запросу!\n"},
        // The current data come first, unspoilt: the daily archive's record answers the hourly request.
        HostileCase{"ArchiveOfAnotherKind", {"--fault", "wrong-function:0x47", "--fault-skip", "1"}, false,
                    {"archive", "hourly"}, 1, "kamt: 6 of 6 records not answered"},
        HostileCase{"WriteEcho", {"--fault", "write-echo:start"}, false, {"comm", "write", "timeout=10 мс"}, 1,
                    "Ответ не соответствует запросу!\nОшибка записи\n"},
        HostileCase{"ByteCount", {"--fault", "byte-count:14"}, false, {"current"}, 1, "Неправильная длина ответа!\n"},
        // Each answer comes 400 ms late and its copy 300 ms after it: the copy of an earlier record
        // arrives before the answer to the next request.
        HostileCase{"DuplicateOfAnEarlierAnswer", {"--fault", "duplicate:300", "--answer-delay", "400"}, true,
                    {"--trace", "archive", "hourly", "3"}, 0, "\tTX\t"},
        // Junk without end from the third record on, through a second's pause before each try:
        // every try still reads what the line carries after it.
        HostileCase{"FloodDuringThePause", {"--fault", "archive-fail-index:2", "--archive-fault", "flood"}, true,
                    {"archive", "hourly"}, 0, "Ошибка CRC!\nkamt: the read stopped after 2 of 6 records\n", 1000},
        // The modem says both: no connection, and the call it may have made is hung up.
        HostileCase{"ModemConnectAndOk", {"--modem", "--modem-echo", "off", "--connect-ok", "555"}, true,
                    {"--modem", "555", "current"}, 1,
                    "Ответ получен\nСоединение не установлено\n>>+++\n<<\nOK\n>>ATH\n<<\nOK\n"}),
    [](const auto& c) { return std::string(c.param.name); });

}  // namespace
}  // namespace kamt::test
