#include "archive_file_check.h"

namespace kamt::test {
namespace {

class ArchiveOverTcp : public E2eTest {
 protected:
  ArchiveFile File(const std::string& name) const { return ReadArchiveFile(dir.path / name); }
};

// A record the meter refuses is skipped, and no interval bridges it.
TEST_F(ArchiveOverTcp, SkippedRecordEndsARunOfIntervals) {
  StartSim({"--no-serial", "--tcp", "0", "--hour-records", "8", "--fault", "archive-fail-index:3"});
  const ProgramResult r = Kamt(Tcp({"archive", "hourly"}));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto rows = File("KAMTarchH1234.txt").Rows();
  ASSERT_EQ(rows.size(), 5u) << "0-1, 1-2, then 4-5, 5-6, 6-7";
  EXPECT_EQ(StartHour(rows[2]), (StartHour(rows[1]) + 3) % 24) << rows[1] << " / " << rows[2];
  EXPECT_EQ(Fields(rows[2]).at(3), "    1.00ч");
  EXPECT_TRUE(Has(r.err, "Ошибка устройства!\n")) << r.err;
  EXPECT_TRUE(Has(r.err, "kamt: 1 of 8 records not answered")) << r.err;
}

// The same meter over both transports gives the same file.
TEST_F(ArchiveOverTcp, SameBytesAsOverTheSerialLine) {
  WriteDelay(dir.path, 0);
  StartSim({"--tcp", "0", "--day-records", "40", "--sensor-type", "2"});
  for (int attempt = 0; attempt < 2; ++attempt) {  // a day may turn between the two reads
    ASSERT_EQ(Kamt(Tcp({"archive", "daily"})).exitCode, 0);
    const ArchiveFile overTcp = File("KAMTarchD1234.txt");
    ASSERT_EQ(overTcp.Rows().size(), 39u);
    ASSERT_EQ(Kamt(Serial({"archive", "daily"})).exitCode, 0);
    if (File("KAMTarchD1234.txt").bytes == overTcp.bytes) return;
  }
  ADD_FAILURE() << "the files differ";
}

}  // namespace
}  // namespace kamt::test
