// Configuration files: what is refused and where, what counts as a difference, and that a
// file failing any check sends nothing.
#include <gtest/gtest.h>

#include "cli/field_assignments.h"
#include "meter/config_backup.h"
#include "meter/config_restore.h"
#include "test_rig.h"

namespace kamt {
namespace {

ConfigBackup Sample() {
  ConfigBackup b{"1234", "2026-12-06 10:00:00", {}, {}};
  const char* config[] = {"1234", "100",  "2.5", "100", "2", "0",  "1",   "0",     "2", "1",
                          "0.5",  "3", "18 В", "4 мВ", "Через 5 минут", "16", "150", "Давление", "отрицательная"};
  const char* comm[] = {"5", "9600", "8", "Нечет", "1", "15 мс", "192.168.0.10", "502"};
  for (std::size_t i = 0; i < ConfigFields().size(); ++i) b.config[std::string(ConfigFields()[i].name)] = {config[i], 0};
  for (std::size_t i = 0; i < CommFields().size(); ++i) b.comm[std::string(CommFields()[i].name)] = {comm[i], 0};
  return b;
}

// The file with one line changed (or removed, for an empty replacement): its number too.
std::pair<std::string, int> Edited(std::string_view line, std::string_view replacement) {
  std::string text = FormatBackup(Sample());
  const std::size_t at = text.find(std::string(line) + "\n");
  const int number = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
  text.replace(at, line.size() + 1, replacement.empty() ? "" : std::string(replacement) + "\n");
  return {text, number};
}

struct Broken {
  const char* line;
  const char* replacement;
  const char* error;  // after "Строка N: " when it names a line
  int lineOffset = 0;  // the line at fault after the one replaced; -1: no line named
};

TEST(ConfigFile, RefusedWithTheLineAtFault) {
  const Broken cases[] = {
      {"digits = 2", "digits 2", "ожидается \"имя = значение\""},
      {"digits = 2", "digit = 2", "неизвестное поле \"digit\" в разделе [config]"},
      {"[comm]", "[com]", "неизвестный раздел [com]; разделы: [meter], [config], [comm]"},
      {"digits = 2", "digits = 2\ndigits = 3", "поле \"digits\" второй раз", 1},
      {"digits = 2", "[config]", "раздел [config] второй раз"},
      {"divider = 2", "", "в разделе [config] нет поля \"divider\" (Коэффициент деления)", -1},
      {"port = 502", "", "в разделе [comm] нет поля \"port\" (Порт)", -1},
      {"[config]", "[meter]", "раздел [meter] второй раз"},
  };
  for (const Broken& c : cases) {
    const auto [text, line] = Edited(c.line, c.replacement);
    std::string error;
    EXPECT_FALSE(ParseBackup(text, error).has_value()) << c.line;
    const std::string where = c.lineOffset < 0 ? "" : "Строка " + std::to_string(line + c.lineOffset) + ": ";
    EXPECT_EQ(error, where + c.error) << c.line;
  }
  std::string error;
  EXPECT_FALSE(ParseBackup("[meter]\nsaved = now\n", error));
  EXPECT_EQ(error, "нет раздела [config]: это не файл конфигурации");
}

// Values are compared as the meter keeps them, not as typed.
TEST(ConfigFile, DiffersOnlyInWhatTheMeterKeeps) {
  const std::tuple<const char*, const char*, const char*, bool> cases[] = {
      {"factor", "2.5", "2.50", false},       {"factor", "2.5", "2.5000003", true},
      {"display-off", "Через 5 минут", "#1", false}, {"display-off", "Никогда", "Через 5 минут", true},
      {"serial", "042", "42", false},         {"serial", "70000", "4464", true},
      {"max-flow", "100", "120", true},
  };
  for (const auto& [name, left, right, differs] : cases) {
    ConfigBackup a = Sample(), b = Sample();
    a.config[name].text = left;
    b.config[name].text = right;
    const auto d = CompareBackups(a, b);
    EXPECT_EQ(d.size(), differs ? 1u : 0u) << name << ' ' << left << ' ' << right;
  }
  ConfigBackup a = Sample(), b = Sample();
  a.comm["ip"].text = "192.168.000.010";
  b.comm["ip"].text = "192.168.0.8";
  EXPECT_TRUE(CompareBackups(a, b).empty());
  b.comm.clear();  // not kept on one side: not compared
  a.comm["port"].text = "1";
  EXPECT_TRUE(CompareBackups(a, b).empty());
}

// Every check runs before the first write: a file refused anywhere sends nothing at all.
TEST(ConfigRestore, RefusedFileSendsNothing) {
  const std::tuple<const char*, const char*, bool, const char*, const char*> cases[] = {
      {"max-flow", "abc", false, "max-flow = abc (Максимальный расход, м3/ч)", "Ошибка ввода максимального расхода"},
      {"diameter", "75", false, "diameter = 75 (Условный диаметр, мм): нет такого пункта в списке", nullptr},
      {"ip", "192.168.0", true, "ip = 192.168.0 (IP адрес)", "Ошибка ввода ip-адреса"},
  };
  for (const auto& [name, value, comm, error, message] : cases) {
    test::TestRig rig;
    FillComboLists(rig.window);
    ConfigBackup b = Sample();
    (comm ? b.comm : b.config)[name] = {value, 42};
    const RestoreResult r = RestoreBackup(rig.session, b, true);
    EXPECT_EQ(r.outcome, RestoreOutcome::Refused);
    EXPECT_EQ(r.error, std::string("Строка 42: ") + error);
    EXPECT_EQ(rig.window.messages, message ? std::vector<std::string>{message} : std::vector<std::string>{});
    EXPECT_TRUE(rig.port.written.empty()) << name;
  }
}

}  // namespace
}  // namespace kamt
