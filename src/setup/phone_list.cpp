#include "setup/phone_list.h"

#include "text/cp1251.h"
#include "text/text_file.h"
#include "text/text_lines.h"

namespace kamt {

std::filesystem::path PhoneListPath(const std::filesystem::path& settingsPath) {
  return settingsPath.parent_path() / "tel_numbers.ini";
}

std::vector<std::string> ParsePhoneList(std::string_view bytes) { return SplitLines(Cp1251ToUtf8(bytes)); }

std::string FormatPhoneList(const std::vector<std::string>& numbers) {
  std::string text;
  for (const std::string& number : numbers) text += number + "\r\n";
  return text;
}

bool StorableNumber(std::string_view number) {
  if (number.find_first_of("\r\n") != std::string_view::npos) return false;
  return Cp1251ToUtf8(Utf8ToCp1251(number)) == number;
}

std::vector<std::string> LoadPhoneList(const std::filesystem::path& path, bool* tooLarge) {
  const SmallFile file = ReadSmallFile(path, kPhoneListLimit);
  if (tooLarge) *tooLarge = file.tooLarge;
  return file.bytes ? ParsePhoneList(*file.bytes) : std::vector<std::string>{};
}

bool SavePhoneList(const std::filesystem::path& path, const std::vector<std::string>& numbers) {
  return WriteTextFile(path, FormatPhoneList(numbers));
}

}  // namespace kamt
