#include "cli/json_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kamt {
namespace {

void Quote(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void Number(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  out.append(text, ec == std::errc() ? end : text);
}

}  // namespace

JsonValue JsonValue::Object(std::vector<std::pair<std::string, JsonValue>> members) {
  JsonValue object;
  object.kind_ = Kind::Object;
  for (auto& [key, value] : members) object.Add(std::move(key), std::move(value));
  return object;
}

JsonValue JsonValue::Array(std::vector<JsonValue> items) {
  JsonValue array;
  array.kind_ = Kind::Array;
  array.items_ = std::move(items);
  return array;
}

void JsonValue::Add(std::string key, JsonValue value) {
  keys_.push_back(std::move(key));
  items_.push_back(std::move(value));
}

void JsonValue::Push(JsonValue item) { items_.push_back(std::move(item)); }

std::string JsonValue::Text() const {
  std::string out;
  Write(out, 0);
  return out + "\n";
}

void JsonValue::Write(std::string& out, int depth) const {
  switch (kind_) {
    case Kind::Null: out += "null"; return;
    case Kind::Bool: out += bool_ ? "true" : "false"; return;
    case Kind::Number: Number(out, number_); return;
    case Kind::String: Quote(out, text_); return;
    case Kind::Array:
    case Kind::Object: break;
  }
  const bool object = kind_ == Kind::Object;
  out += object ? '{' : '[';
  const std::string indent(static_cast<std::size_t>(depth + 1) * 4, ' ');
  for (std::size_t i = 0; i < items_.size(); ++i) {
    out += (i == 0 ? "\n" : ",\n") + indent;
    if (object) {
      Quote(out, keys_[i]);
      out += ": ";
    }
    items_[i].Write(out, depth + 1);
  }
  if (!items_.empty()) out += "\n" + std::string(static_cast<std::size_t>(depth) * 4, ' ');
  out += object ? '}' : ']';
}

}  // namespace kamt
