#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kamt {

// "tel_numbers.ini" beside the settings file, that is in the current directory. Despite its
// name a plain list: one phone number per line, Windows-1251, CR LF.
std::filesystem::path PhoneListPath(const std::filesystem::path& settingsPath);

// The numbers of a list file's bytes, in file order. CR LF, a lone CR or a lone LF ends a
// line; a final line end adds no empty entry, while an empty line inside the list is an
// entry of its own.
std::vector<std::string> ParsePhoneList(std::string_view bytes);

// The list as its file holds it (UTF-8 here; the writer turns it into Windows-1251): every
// entry ended by CR LF.
std::string FormatPhoneList(const std::vector<std::string>& numbers);

// Whether a number survives the file unchanged: one line, and only characters that
// Windows-1251 has.
bool StorableNumber(std::string_view number);

// A list of 64 KiB holds some 4,000 numbers, more than anyone picks from a drop-down list,
// and costs nothing to read; a larger file is no list this program wrote.
inline constexpr std::size_t kPhoneListLimit = 64 * 1024;

// Nothing when the file does not exist or cannot be read, or when it is larger than the limit
// (tooLarge is then set: the file must be left as it is).
std::vector<std::string> LoadPhoneList(const std::filesystem::path& path, bool* tooLarge = nullptr);
// Replaces the file in one step; false when it cannot be written (the old file is kept).
bool SavePhoneList(const std::filesystem::path& path, const std::vector<std::string>& numbers);

}  // namespace kamt
