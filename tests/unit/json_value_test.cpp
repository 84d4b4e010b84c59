// The command line's JSON writer: what a parser must read back as given.
#include <cmath>
#include <gtest/gtest.h>

#include "cli/json_value.h"

namespace kamt {
namespace {

TEST(JsonValue, WritesWhatAParserReadsBack) {
  const std::pair<JsonValue, const char*> cases[] = {
      {JsonValue(), "null"},
      {JsonValue(720), "720"},
      {JsonValue(0.1), "0.1"},
      {JsonValue(-16.01), "-16.01"},
      {JsonValue(1e21), "1e+21"},
      {JsonValue(std::nan("")), "null"},
      {JsonValue("a\"b\\c\nd\x01 м3"), R"("a\"b\\c\nd\u0001 м3")"},
      {JsonValue::Object({}), "{}"},
      {JsonValue::Array({true, false}), "[\n    true,\n    false\n]"},
      {JsonValue::Object({{"b", 1}, {"a", JsonValue::Object({{"x", "y"}})}}),
       "{\n    \"b\": 1,\n    \"a\": {\n        \"x\": \"y\"\n    }\n}"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(value.Text(), std::string(text) + "\n");
}

}  // namespace
}  // namespace kamt
