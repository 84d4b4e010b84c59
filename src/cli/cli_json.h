#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kamt {

class Window;
struct CurrentDataRecord;
struct FormField;
struct MeterClockRecord;
struct ScanResult;

// The results of kamt --json: one JSON object each, on one indented text ending in a line end.
// Numbers are numbers (with the digits the window shows), the window's texts are strings, a
// quantity with a unit is {"value": number, "unit": "м3/час"}, and what is not known is null.

// The current data: flow, counters, times, pressure or temperature, state, serial number,
// archive record counts, the meter clock.
std::string CurrentDataJson(const CurrentDataRecord& data);

// A group's fields by their names: a list field's item (a number, a quantity, or a text), an
// edit's number (the unit from its caption), the IP address as text.
std::string FieldsJson(std::span<const FormField> fields, const Window& window, std::string_view decimalSeparator);

// The meter clock read, its day of week and how far it is ahead of the computer's, in seconds.
std::string ClockJson(const MeterClockRecord& clock, std::string_view dayOfWeek, std::optional<long long> aheadS);

// The meters found, each with its address, line settings and serial number.
std::string ScanJson(const ScanResult& result);

}  // namespace kamt
