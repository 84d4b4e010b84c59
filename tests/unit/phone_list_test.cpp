#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "setup/phone_list.h"
#include "temp_dir.h"

namespace kamt {
namespace {

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct ListCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> numbers;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class PhoneListFile : public ::testing::TestWithParam<ListCase> {};

TEST_P(PhoneListFile, ReadsEveryKindOfLineEnd) { EXPECT_EQ(ParsePhoneList(GetParam().bytes), GetParam().numbers); }

INSTANTIATE_TEST_SUITE_P(LineEnds, PhoneListFile,
                         ::testing::Values(ListCase{"Empty", "", {}}, ListCase{"NoFinalLineEnd", "123", {"123"}},
                                           ListCase{"FinalCrLfAddsNothing", "123\r\n", {"123"}},
                                           ListCase{"CrLf", "8-495-1\r\n8-495-2\r\n", {"8-495-1", "8-495-2"}},
                                           ListCase{"LoneCr", "1\r2\r", {"1", "2"}},
                                           ListCase{"LoneLf", "1\n2", {"1", "2"}},
                                           ListCase{"Mixed", "1\r\n2\r3\n4", {"1", "2", "3", "4"}},
                                           ListCase{"EmptyEntryInside", "1\r\n\r\n2\r\n", {"1", "", "2"}},
                                           ListCase{"LfCrIsTwoLineEnds", "1\n\r2", {"1", "", "2"}},
                                           ListCase{"CrCrLfIsTwoLineEnds", "1\r\r\n2", {"1", "", "2"}},
                                           ListCase{"OnlyALineEnd", "\r\n", {""}},
                                           ListCase{"BlanksKept", " 12 \r\n", {" 12 "}},
                                           ListCase{"Windows1251", "\xCD\xEE\xEC\xE5\xF0 1\r\n", {"Номер 1"}}),
                         [](const auto& c) { return std::string(c.param.name); });

class PhoneListSave : public ::testing::Test {
 protected:
  test::TempDir dir;
  std::filesystem::path path = PhoneListPath(dir.path / "Vedan_modbus.ini");
};

TEST_F(PhoneListSave, WritesCrLfInWindows1251AndReadsBackTheSame) {
  const std::vector<std::string> numbers = {"8-495-123", "", "Номер 5", "123"};
  ASSERT_TRUE(SavePhoneList(path, numbers));
  EXPECT_EQ(FileBytes(path), "8-495-123\r\n\r\n\xCD\xEE\xEC\xE5\xF0 5\r\n123\r\n");
  EXPECT_EQ(LoadPhoneList(path), numbers);
}

// A folder that holds the file's name cannot be replaced: the save fails whole.
TEST_F(PhoneListSave, AFailedSaveLeavesNothingBeside) {
  std::filesystem::create_directory(path);
  EXPECT_FALSE(SavePhoneList(path, {"2"}));
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1);
}

struct StorableCase {
  std::string number;
  bool storable;
};

TEST(StorableNumber, OneLineOfCharactersTheFileCanHold) {
  const StorableCase cases[] = {{"8-495-123-45-67", true}, {"", true},      {"Номер", true},  {"€ 1", true},
                                {"1\n2", false},           {"12\r", false}, {"☎ 123", false}, {"\xFF", false}};
  for (const StorableCase& c : cases) EXPECT_EQ(StorableNumber(c.number), c.storable) << c.number;
}

}  // namespace
}  // namespace kamt
