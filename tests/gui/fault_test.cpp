// The meter gone in the middle of a command, through the real window: the simulator killed
// while the window waits, over the pseudo-terminal and over TCP. The window never freezes,
// the command ends by itself, and the window's state says what is left of the connection.
#include <QProgressBar>
#include <QTest>

#include "gui_rig.h"

namespace kamt::test {

class FaultTest : public QObject {
  Q_OBJECT

 private slots:
  // The pseudo-terminal hangs up under a read that waits: the wait ends then, not at its
  // time-out, and the port counts as closed, as a device gone does.
  void SerialLineVanishesWhileAReadWaits() {
    SimMeter sim({"--verbose", "--fault", "delay:60000"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    QVERIFY(rig.ConnectSerial(sim.SerialPath()));
    bool killed = false;
    rig.WhenReady([&] { return sim.WaitForLog("serial rx", 0); }, [&] {
      sim.Kill();
      killed = true;
    });
    rig.Click("Button1");
    QVERIFY(killed);
    QCOMPARE(rig.messages, QStringList{"Устройство не отвечает!"});
    QCOMPARE(rig.Panel(1), std::string("Ошибка чтения"));
    QVERIFY(!rig.main().session().link.port.IsOpen());
    QVERIFY(!rig.main().session().commandRunning);
    QVERIFY(rig.Enabled("GroupBox1"));
  }

  // The connection goes down in the middle of an archive read: the read ends there, keeps the
  // records read, and the window shows it is no longer connected, with no read button left on.
  void TcpConnectionLostDuringAnArchiveRead() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "88", "--hour-records", "300", "--fault",
                  "delay:20"});
    GuiRig rig;
    rig.ConnectAndRead(sim);
    auto* progress = rig.Child<QProgressBar>(rig.main(), "Archive_ProgressBar");
    rig.WhenReady([&] { return progress->isVisible() && progress->value() >= 5; }, [&] { sim.Kill(); });
    rig.Click("Button2");
    QCOMPARE(rig.Panel(1), std::string("Данные сохранены в файл: KAMTarchH88.txt"));
    QVERIFY2(rig.Panel(0).starts_with("Нет соединения с 127.0.0.1, порт:"), rig.Panel(0).c_str());
    const std::size_t lines = GuiRig::FileLineCount(rig.dir.path / "KAMTarchH88.txt");
    QVERIFY(lines >= 3 + 4);
    QVERIFY(lines < 3 + 299);
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(rig.Action("Connect")->isVisible());
    for (const char* button : {"Button1", "Button2", "Button4", "ReadTime_Button"}) QVERIFY2(!rig.Enabled(button), button);
    for (const char* group : {"GroupBox1", "GroupBox7"}) QVERIFY2(rig.Enabled(group), group);
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_connection_lost"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::FaultTest)
#include "fault_test.moc"
