// The meter's commands through the real window against kamt-sim over TCP: an archive read
// with its progress and its abort, the configuration with its report, the clock and the
// communication parameters.
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "gui_rig.h"
#include "sim_meter.h"

namespace kamt::test {

class CommandsTest : public QObject {
  Q_OBJECT

 private:
  // A window connected over TCP to sim, with the current data read.
  static void ConnectAndRead(GuiRig& rig, const SimMeter& sim) {
    QVERIFY(rig.ConnectTcp(sim.TcpPort()));
    QTRY_VERIFY(rig.Action("Disconnect")->isVisible());
    rig.Click("Button1");
    QCOMPARE(rig.Panel(1), std::string("Данные считаны"));
  }

  static std::vector<std::string> FileLines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  static bool Enabled(GuiRig& rig, const char* name) { return rig.Child<QWidget>(rig.main(), name)->isEnabled(); }

 private slots:
  void ArchiveReadWritesItsFile() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "321", "--hour-records", "40"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    ConnectAndRead(rig, sim);
    rig.main().window().SetText("HourNum_Edit", "10");
    rig.Click("Button2");
    QCOMPARE(rig.Panel(1), std::string("Данные сохранены в файл: KAMTarchH321.txt"));
    const auto lines = FileLines(rig.dir.path / "KAMTarchH321.txt");
    QCOMPARE(lines.size(), std::size_t{3 + 10});  // serial number, kind, columns, ten rows
    QVERIFY(!rig.Child<QProgressBar>(rig.main(), "Archive_ProgressBar")->isVisible());
    for (const char* group : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox7", "Button2"}) {
      QVERIFY2(Enabled(rig, group), group);
    }
    QVERIFY(rig.messages.isEmpty());
  }

  void AbortStopsTheReadAndKeepsWhatWasRead() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "7", "--hour-records", "200", "--fault",
                  "delay:100"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    ConnectAndRead(rig, sim);
    auto* progress = rig.Child<QProgressBar>(rig.main(), "Archive_ProgressBar");
    bool sawLockedGroups = false;
    QTimer poll;
    // Once a few records are in, look at the window mid-read, then press "Прервать чтение".
    connect(&poll, &QTimer::timeout, &rig.main(), [&] {
      if (!progress->isVisible() || progress->value() < 3) return;
      poll.stop();
      sawLockedGroups = !Enabled(rig, "GroupBox1") && !Enabled(rig, "GroupBox7") && !Enabled(rig, "Button2") &&
                        Enabled(rig, "GroupBox6") && Enabled(rig, "Button7") && progress->maximum() == 200;
      GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_archive_read"));
      rig.Click("Button7");
    });
    poll.start(20);
    rig.Click("Button2");
    QVERIFY(sawLockedGroups);
    QCOMPARE(rig.Panel(1), std::string("Данные сохранены в файл: KAMTarchH7.txt"));
    const auto lines = FileLines(rig.dir.path / "KAMTarchH7.txt");
    QVERIFY(lines.size() >= 3 + 2);
    QVERIFY(lines.size() < 3 + 199);
    QVERIFY(Enabled(rig, "GroupBox1"));
  }

  void ConfigurationClockAndCommunicationGroups() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "4455"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    ConnectAndRead(rig, sim);
    Window& w = rig.main().window();
    QVERIFY(!Enabled(rig, "Button11"));
    rig.Click("ReadConf_Button");
    QCOMPARE(w.Text("Edit4"), std::string("4455"));
    QVERIFY(Enabled(rig, "Button11"));
    rig.Click("Button11");
    QCOMPARE(rig.Panel(1), std::string("Конфигурация записана в файл: KAMT_Conf4455.txt"));
    QVERIFY(std::filesystem::exists(rig.dir.path / "KAMT_Conf4455.txt"));

    rig.Click("ReadTime_Button");
    QCOMPARE(rig.Panel(1), std::string("Данные считаны"));
    QCOMPARE(w.Text("Year_Edit").size(), std::size_t{4});
    QVERIFY(!w.Text("ClockDiff_Label").empty());
    w.SetText("Year_Edit", "1999");
    rig.Click("PcTime_Button");
    QVERIFY(w.Text("Year_Edit") != "1999");

    rig.Click("Button5");
    QCOMPARE(rig.Panel(1), std::string("Параметры коммуникации считаны"));
    QVERIFY(!w.Text("Edit1").empty());
    QVERIFY(rig.messages.isEmpty());
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_all_groups"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::CommandsTest)
#include "commands_test.moc"
