#include <gtest/gtest.h>

#include "setup/phone_list.h"

namespace kamt {
namespace {

using Numbers = std::vector<std::string>;

TEST(ParsePhoneList, ReadsEveryKindOfLineEnd) {
  const std::pair<std::string, Numbers> cases[] = {
      {"", {}},
      {"123\r\n", {"123"}},                   // a final line end adds nothing
      {"1\r\n2\r3\n4", {"1", "2", "3", "4"}},  // CR LF, lone CR, lone LF, none at the end
      {"1\r\n\r\n2\r\n", {"1", "", "2"}},
      {"1\n\r2", {"1", "", "2"}},  // LF CR is two line ends
      {"1\r\r\n2", {"1", "", "2"}},
      {"\r\n", {""}},
      {" 12 \r\n", {" 12 "}},
      {"\xCD\xEE\xEC\xE5\xF0 1\r\n", {"Номер 1"}},
  };
  for (const auto& [bytes, numbers] : cases) EXPECT_EQ(ParsePhoneList(bytes), numbers) << testing::PrintToString(bytes);
}

TEST(StorableNumber, OneLineOfCharactersTheFileCanHold) {
  const std::pair<std::string, bool> cases[] = {{"8-495-123-45-67", true}, {"", true},       {"Номер", true},
                                                {"€ 1", true},             {"1\n2", false}, {"12\r", false},
                                                {"☎ 123", false},          {"\xFF", false}};
  for (const auto& [number, storable] : cases) EXPECT_EQ(StorableNumber(number), storable) << number;
}

}  // namespace
}  // namespace kamt
