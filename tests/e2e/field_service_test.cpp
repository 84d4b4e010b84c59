// The field engineer's commands against the simulated meter: RTU over a converter, the search
// for meters, configuration files, and the JSON output.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <fstream>

#include "e2e_fixture.h"

namespace kamt::test {
namespace {

QJsonObject Json(const std::string& text) { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }

class FieldTest : public E2eTest {
 protected:
  QStringList Converter(const QStringList& command) {
    return QStringList{"--rtu-tcp", QString::fromStdString(Sim().RtuTcpAddress())} + command;
  }
  std::string File(const char* name) const { return (dir.path / name).string(); }
};

// Several meters behind one converter, each reached at its address; an archive record that
// fails is tried again as on the serial line, where Modbus TCP would skip it.
TEST_F(FieldTest, ConverterReachesEachMeterAndRetriesArchiveRecords) {
  StartSim({"--no-serial", "--rtu-tcp", "0", "--addresses", "1,17", "--serial-numbers", "111,222", "--fault",
            "archive-fail-first:2"});
  for (const auto& [address, serial] : {std::pair{"1", "111"}, {"17", "222"}}) {
    const ProgramResult r = Kamt(Converter({"--address", address, "current"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Lines(r.out).at(7), std::string("Зав. номер: ") + serial);
  }
  const ProgramResult archive = Kamt(Converter({"--address", "17", "archive", "hourly", "3"}));
  EXPECT_EQ(archive.exitCode, 0) << archive.err;
  EXPECT_FALSE(Has(archive.err, "not answered")) << archive.err;
  EXPECT_TRUE(std::filesystem::exists(dir.path / "KAMTarchH222.txt"));
}

class ConfigFiles : public FieldTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override { StartSim({"--rtu-tcp", "0", "--serial-number", "4321"}); }
  ProgramResult Run(const QStringList& command) {
    return Kamt(std::string(GetParam()) == "serial" ? Serial(command) : Converter(command));
  }
};

// Saved, changed on the meter, found different, written back, found the same again.
TEST_P(ConfigFiles, BackupRestoreAndDiffRoundTrip) {
  const std::string saved = File("saved.txt");
  const ProgramResult backup = Run({"config", "backup", QString::fromStdString(saved)});
  ASSERT_EQ(backup.exitCode, 0) << backup.err;
  EXPECT_EQ(backup.out, "Конфигурация сохранена в файл: " + saved + "\n");
  EXPECT_EQ(Run({"config", "diff", QString::fromStdString(saved)}).out, "Различий нет\n");
  ASSERT_EQ(Run({"config", "write", "max-flow=123", "display-off=Никогда"}).exitCode, 0);
  const ProgramResult differs = Run({"config", "diff", QString::fromStdString(saved)});
  EXPECT_EQ(differs.exitCode, 1);
  const auto rows = Lines(differs.out);
  ASSERT_EQ(rows.size(), 3u) << differs.out;
  EXPECT_TRUE(rows[1].starts_with("Максимальный расход, м3/ч")) << rows[1];
  EXPECT_TRUE(rows[1].ends_with(" 123")) << rows[1];
  ASSERT_EQ(Run({"config", "backup", QString::fromStdString(File("changed.txt"))}).exitCode, 0);
  const ProgramResult restored = Run({"config", "restore", QString::fromStdString(saved), "--with-comm"});
  ASSERT_EQ(restored.exitCode, 0) << restored.err;
  EXPECT_EQ(restored.out, "Запись выполнена\n");
  EXPECT_EQ(Run({"config", "diff", QString::fromStdString(saved)}).exitCode, 0);
  // Two files need no meter.
  const ProgramResult files =
      Kamt({"config", "diff", QString::fromStdString(saved), QString::fromStdString(File("changed.txt"))});
  EXPECT_EQ(files.exitCode, 1) << files.err;
  EXPECT_EQ(Lines(files.out).size(), 3u);
}

// A file that fails a check names its line, shows the window's message and sends nothing.
TEST_P(ConfigFiles, RestoreOfABadFileWritesNothing) {
  const std::string path = File("bad.txt");
  ASSERT_EQ(Run({"config", "backup", QString::fromStdString(path)}).exitCode, 0);
  std::ifstream in(path);
  std::string text{std::istreambuf_iterator<char>(in), {}};
  text.replace(text.find("max-flow = "), 14, "max-flow = abc");  // the value was "100"
  std::ofstream(path, std::ios::trunc) << text;
  const ProgramResult r = Run({"--trace", "config", "restore", QString::fromStdString(path)});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, "Ошибка ввода максимального расхода\n")) << r.err;
  EXPECT_TRUE(Has(r.err, ": Строка 16: max-flow = abc (Максимальный расход, м3/ч); nothing was written\n")) << r.err;
  EXPECT_FALSE(Has(r.err, "TX")) << "a frame went out";
}

INSTANTIATE_TEST_SUITE_P(Transports, ConfigFiles, ::testing::Values("serial", "converter"),
                         [](const auto& p) { return std::string(p.param); });

// A meter at an unusual address and line setting is found; the list and the count follow.
TEST_F(FieldTest, ScanFindsAMeterAtItsAddressAndLine) {
  StartSim({"--address", "77", "--line", "19200:8N1", "--serial-number", "555"});
  const QStringList plan = {"--addresses", "75-78", "--bauds", "4800,19200,9600", "--parities", "none"};
  const ProgramResult r = Kamt(Serial(QStringList{"scan"} + plan));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "адрес 77, 19200 8N1, зав. номер 555\nНайдено приборов: 1\n");
  const QJsonObject json = Json(Kamt(Serial(QStringList{"scan", "--json"} + plan)).out);
  const QJsonObject meter = json["meters"].toArray().at(0).toObject();
  EXPECT_EQ(meter["address"].toInt(), 77);
  EXPECT_EQ(meter["line"].toObject()["baud"].toInt(), 19200);
  EXPECT_EQ(meter["line"].toObject()["parity"].toString(), "none");
  // 9600 first, then as listed: 4800 and 19200, where 78 is still tried.
  EXPECT_EQ(json["attempts"].toInt(), 3 * 4);
  const ProgramResult none = Kamt(Serial({"scan", "--addresses", "1-3", "--bauds", "9600"}));
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "Найдено приборов: 0\n");
}

TEST_F(FieldTest, ScanStopsOnCtrlC) {
  StartSim({"--address", "200"});
  KamtRun run(Serial({"scan"}), WorkDir());
  ASSERT_TRUE(run.WaitFor([](const std::string& err) { return Has(err, "\r5/"); }));
  run.Interrupt();
  const ProgramResult r = run.Finish();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, "kamt: stopped after ")) << r.err;
  EXPECT_EQ(r.out, "Найдено приборов: 0\n");
}

// Typed values: numbers as numbers, texts as texts, quantities with their units.
TEST_F(FieldTest, JsonShapes) {
  StartSim({"--tcp", "0", "--no-serial"});
  const auto tcp = [this](const QStringList& c) { return Json(Kamt(Tcp(c + QStringList{"--json"})).out); };
  const QJsonObject current = tcp({"current"});
  EXPECT_TRUE(current["flow"].toObject()["value"].isDouble());
  EXPECT_EQ(current["flow"].toObject()["unit"].toString(), "м3/час");
  EXPECT_EQ(current["serial_number"].toInt(), 1234);
  EXPECT_EQ(current["state"].toString(), "норм. работа");
  EXPECT_TRUE(current["temperature"].isNull());
  EXPECT_EQ(current["archive_records"].toObject()["hourly"].toInt(), 720);
  const QJsonObject config = tcp({"config", "read"});
  EXPECT_EQ(config["factor"].toDouble(), 2.5);
  EXPECT_EQ(config["max-flow"].toObject()["unit"].toString(), "м3/ч");
  EXPECT_EQ(config["probe-pulse"].toObject()["unit"].toString(), "В");
  EXPECT_TRUE(config["display-off"].isString());
  const QJsonObject comm = tcp({"comm", "read"});
  EXPECT_TRUE(comm["baud"].isDouble());
  EXPECT_TRUE(comm["parity"].isString());
  EXPECT_EQ(comm["timeout"].toObject()["unit"].toString(), "мс");
  EXPECT_TRUE(comm["ip"].isString());
  const QJsonObject clock = tcp({"clock", "read"});
  EXPECT_EQ(clock["meter_time"].toString().size(), 19);
  EXPECT_LE(std::abs(clock["ahead_of_computer"].toObject()["value"].toDouble()), 2.0);
  EXPECT_EQ(Kamt(Tcp({"clock", "write", "--now", "--json"})).exitCode, 2);
}

}  // namespace
}  // namespace kamt::test
