// The connection lifecycle and the current-data read through the real window, against the
// simulated meter over a pseudo-terminal and over Modbus TCP.
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "gui_rig.h"
#include "sim_meter.h"

namespace kamt::test {

class ConnectionTest : public QObject {
  Q_OBJECT

 private:
  static int TcpPort(const SimMeter& sim) { return std::stoi(sim.TcpAddress().substr(sim.TcpAddress().rfind(':') + 1)); }

  static void ChooseSerial(ConnectionDialogForm& d, const std::string& device) {
    d.window().SetItemIndex("RadioGroup1", 0);
    d.window().SetText("ComboBox1", device);
  }
  static void ChooseTcp(ConnectionDialogForm& d, int port) {
    d.window().SetItemIndex("RadioGroup1", 1);
    d.window().SetText("Edit2", "127.0.0.1");
    d.window().SetText("Edit3", std::to_string(port));
  }
  static bool ButtonEnabled(GuiRig& rig, const char* name) { return rig.Child<QPushButton>(rig.main(), name)->isEnabled(); }

 private slots:
  void TcpConnectReadAndDisconnect() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "555"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const int port = TcpPort(sim);
    QVERIFY(rig.ConnectWith([port](ConnectionDialogForm& d) { ChooseTcp(d, port); }));
    QCOMPARE(rig.Panel(0).substr(0, 14), std::string("Подключ"));
    QTRY_COMPARE(rig.Panel(0), "Подключено к 127.0.0.1, порт:" + std::to_string(port));
    QVERIFY(!rig.Action("Connect")->isVisible());
    QVERIFY(rig.Action("Disconnect")->isVisible());
    for (const char* b : {"Button1", "Button5", "Button6", "ReadTime_Button", "WriteTime_Button", "ReadConf_Button",
                          "WriteConf_Button"}) {
      QVERIFY2(ButtonEnabled(rig, b), b);
    }
    QVERIFY(!ButtonEnabled(rig, "Button2"));
    QVERIFY(ButtonEnabled(rig, "PcTime_Button"));  // with the clock's buttons

    rig.Click("Button1");
    QCOMPARE(rig.Panel(1), std::string("Данные считаны"));
    QCOMPARE(rig.main().window().Text("Label6"), std::string("Зав. номер: 555"));
    QCOMPARE(rig.main().window().Text("HourNum_Label"), std::string("Всего записей:719"));
    QVERIFY(ButtonEnabled(rig, "Button2"));
    QVERIFY(rig.messages.isEmpty());
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_read_over_tcp"));

    rig.Action("Disconnect")->trigger();
    QCOMPARE(rig.Panel(0), std::string());
    QCOMPARE(rig.Panel(1), std::string("Соединение разорвано"));
    QVERIFY(!ButtonEnabled(rig, "Button1"));
    QVERIFY(!ButtonEnabled(rig, "Button2"));
    QVERIFY(!ButtonEnabled(rig, "PcTime_Button"));
    QVERIFY(rig.Action("Connect")->isVisible());
    QVERIFY(!rig.Action("Disconnect")->isVisible());

    // The settings of the run are saved on close, the socket closed first.
    rig.main().close();
    std::ifstream in(rig.SettingsPath(), std::ios::binary);
    const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QVERIFY(ini.find("Type=1\r\n") != std::string::npos);
    QVERIFY(ini.find("IP_Addr=127.0.0.1\r\nPort=" + std::to_string(port) + "\r\n") != std::string::npos);
  }

  void SerialConnectReadAndDisconnect() {
    SimMeter sim({"--serial-number", "808"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const std::string device = sim.SerialPath();
    QVERIFY(rig.ConnectWith([&device](ConnectionDialogForm& d) {
      ChooseSerial(d, device);
      d.window().SetItemIndex("ComboBox3", 3);
    }));
    QCOMPARE(rig.Panel(0), device + ":9600:8:None:1");
    QCOMPARE(rig.Panel(1), std::string());
    QVERIFY(rig.Action("Disconnect")->isVisible());
    rig.Click("Button1");
    QCOMPARE(rig.Panel(1), std::string("Данные считаны"));
    QCOMPARE(rig.Panel(2), std::string("Принято 101 байт"));
    QCOMPARE(rig.main().window().Text("Label6"), std::string("Зав. номер: 808"));
    QVERIFY(rig.messages.isEmpty());

    rig.Action("Disconnect")->trigger();
    QCOMPARE(rig.Panel(1), std::string("Соединение разорвано"));
    QVERIFY(!rig.main().session().link.port.IsOpen());
    QVERIFY(!ButtonEnabled(rig, "Button1"));
    // Not connected: a read is refused by its disabled button, and the port is free again.
    QVERIFY(rig.ConnectWith([&device](ConnectionDialogForm& d) { ChooseSerial(d, device); }));
    QVERIFY(rig.main().session().link.port.IsOpen());
  }

  // Closing the window while a read waits for a silent meter ends the read first (no message
  // box, no use of a closed port), then closes as always.
  void CloseWhileAReadWaits() {
    SimMeter sim({"--fault", "silent"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const std::string device = sim.SerialPath();
    QVERIFY(rig.ConnectWith([&device](ConnectionDialogForm& d) { ChooseSerial(d, device); }));
    bool running = false;
    bool dialogShown = false;
    QTimer::singleShot(300, &rig.main(), [&] {
      running = rig.main().session().CommandRunning;
      // Another command, or the connection dialog, is refused meanwhile.
      QTimer::singleShot(0, &rig.form2(), [&] {
        dialogShown = rig.form2().isVisible();
        if (dialogShown) rig.form2().reject();
      });
      rig.Action("Connect")->trigger();
      rig.Action("Disconnect")->trigger();
      rig.main().close();
    });
    QElapsedTimer timer;
    timer.start();
    rig.Click("Button1");
    // A silent meter keeps a read of 101 bytes waiting 22 s; the close cut it short.
    QVERIFY(timer.elapsed() < 15000);
    QVERIFY(running);
    QVERIFY(!dialogShown);
    QVERIFY(rig.messages.isEmpty());
    QTRY_VERIFY(!rig.main().isVisible());
    QVERIFY(!rig.main().session().link.port.IsOpen());
    QVERIFY(std::filesystem::exists(rig.SettingsPath()));
  }

  void AConnectionAttemptThatFailsSaysWhy() {
    SimMeter sim({"--no-serial", "--tcp", "0"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    const int port = TcpPort(sim);
    sim.Kill();
    GuiRig rig;
    QVERIFY(rig.ConnectWith([port](ConnectionDialogForm& d) { ChooseTcp(d, port); }));
    QTRY_VERIFY(rig.Panel(0).find("соединение отклонено") != std::string::npos);
    QVERIFY(rig.Action("Connect")->isVisible());
    QVERIFY(!ButtonEnabled(rig, "Button1"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::ConnectionTest)
#include "connection_test.moc"
