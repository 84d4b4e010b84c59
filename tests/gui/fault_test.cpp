// The meter gone in the middle of a command, through the real window: the simulator killed
// while the window waits, over the pseudo-terminal and over TCP. The window never freezes,
// the command ends by itself, and the window's state says what is left of the connection.
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "gui_rig.h"
#include "sim_meter.h"

namespace kamt::test {

class FaultTest : public QObject {
  Q_OBJECT

 private:
  static bool Enabled(GuiRig& rig, const char* name) { return rig.Child<QWidget>(rig.main(), name)->isEnabled(); }

  static std::size_t FileLineCount(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
  }

  // Runs `action` from the window's event loop, once `ready` holds, while a command waits.
  static void WhenDuringCommand(QObject& context, QTimer& poll, std::function<bool()> ready,
                                std::function<void()> action) {
    QObject::connect(&poll, &QTimer::timeout, &context, [&poll, ready, action] {
      if (!ready()) return;
      poll.stop();
      action();
    });
    poll.start(20);
  }

 private slots:
  // The pseudo-terminal hangs up under a read that waits: the wait ends then, not at its
  // time-out, and the port counts as closed, as a device gone does.
  void SerialLineVanishesWhileAReadWaits() {
    SimMeter sim({"--verbose", "--fault", "delay:60000"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const std::string device = sim.SerialPath();
    QVERIFY(rig.ConnectWith([&device](ConnectionDialogForm& d) {
      d.window().SetItemIndex("RadioGroup1", 0);
      d.window().SetText("ComboBox1", device);
    }));
    bool killed = false;
    QTimer poll;
    WhenDuringCommand(
        rig.main(), poll, [&] { return sim.WaitForLog("serial rx", 0); },
        [&] {
          sim.Kill();
          killed = true;
        });
    rig.Click("Button1");
    QVERIFY(killed);
    QCOMPARE(rig.messages, QStringList{"Устройство не отвечает!"});
    QCOMPARE(rig.Panel(1), std::string("Ошибка чтения"));
    QVERIFY(!rig.main().session().link.port.IsOpen());
    QVERIFY(!rig.main().session().CommandRunning);
    QVERIFY(Enabled(rig, "GroupBox1"));
  }

  // The connection goes down in the middle of an archive read: the read ends there, keeps the
  // records read, and the window shows it is no longer connected, with no read button left on.
  void TcpConnectionLostDuringAnArchiveRead() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "88", "--hour-records", "300", "--fault",
                  "delay:20"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    QVERIFY(rig.ConnectTcp(sim.TcpPort()));
    QTRY_VERIFY(rig.Action("Disconnect")->isVisible());
    rig.Click("Button1");
    QCOMPARE(rig.Panel(1), std::string("Данные считаны"));
    auto* progress = rig.Child<QProgressBar>(rig.main(), "Archive_ProgressBar");
    QTimer poll;
    WhenDuringCommand(
        rig.main(), poll, [&] { return progress->isVisible() && progress->value() >= 5; }, [&] { sim.Kill(); });
    rig.Click("Button2");
    QCOMPARE(rig.Panel(1), std::string("Данные сохранены в файл: KAMTarchH88.txt"));
    QVERIFY2(rig.Panel(0).starts_with("Нет соединения с 127.0.0.1, порт:"), rig.Panel(0).c_str());
    const std::size_t lines = FileLineCount(rig.dir.path / "KAMTarchH88.txt");
    QVERIFY(lines >= 3 + 4);
    QVERIFY(lines < 3 + 299);
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(rig.Action("Connect")->isVisible());
    QVERIFY(!rig.Action("Disconnect")->isVisible());
    for (const char* button : {"Button1", "Button2", "Button3", "Button4", "ReadConf_Button", "ReadTime_Button"}) {
      QVERIFY2(!Enabled(rig, button), button);
    }
    for (const char* group : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox7"}) QVERIFY2(Enabled(rig, group), group);
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_connection_lost"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::FaultTest)
#include "fault_test.moc"
