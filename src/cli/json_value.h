#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kamt {

// A JSON value as kamt --json prints it: null, true or false, a number, a string (UTF-8), an
// array, or an object whose keys keep the order they were given in. The command line is built
// without Qt (the fuzz targets take it as plain C++), so it carries this small writer rather
// than QJsonDocument.
class JsonValue {
 public:
  JsonValue() = default;  // null
  JsonValue(bool value) : kind_(Kind::Bool), bool_(value) {}
  JsonValue(int value) : JsonValue(static_cast<double>(value)) {}
  JsonValue(double value) : kind_(Kind::Number), number_(value) {}
  JsonValue(std::string_view text) : kind_(Kind::String), text_(text) {}
  JsonValue(const char* text) : JsonValue(std::string_view(text)) {}
  JsonValue(const std::string& text) : JsonValue(std::string_view(text)) {}

  static JsonValue Object(std::vector<std::pair<std::string, JsonValue>> members);
  static JsonValue Array(std::vector<JsonValue> items);

  // Adds a member to an object, or an item to an array.
  void Add(std::string key, JsonValue value);
  void Push(JsonValue item);

  // Indented by four blanks a level, ending in a line end; a number with the fewest digits
  // that read back as it (a NaN or an infinity, which JSON lacks, as null).
  std::string Text() const;

 private:
  enum class Kind { Null, Bool, Number, String, Array, Object };
  void Write(std::string& out, int depth) const;

  Kind kind_ = Kind::Null;
  bool bool_ = false;
  double number_ = 0;
  std::string text_;
  std::vector<std::string> keys_;
  std::vector<JsonValue> items_;  // an array's items, an object's values
};

}  // namespace kamt
