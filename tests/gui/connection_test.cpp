// The connection lifecycle and the current-data read through the real window, against the
// simulated meter over a pseudo-terminal and over Modbus TCP.
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui_rig.h"
#include "platform/text_file.h"
#include "sim_meter.h"

namespace kamt::test {

class ConnectionTest : public QObject {
  Q_OBJECT

 private:
  static bool ConnectSerial(GuiRig& rig, const std::string& device) {
    return rig.ConnectWith([&device](ConnectionDialogForm& d) {
      d.window().SetItemIndex("RadioGroup1", 0);
      d.window().SetText("ComboBox1", device);
    });
  }
  static bool ButtonEnabled(GuiRig& rig, const char* name) { return rig.Child<QPushButton>(rig.main(), name)->isEnabled(); }

 private slots:
  void TcpConnectReadAndDisconnect() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "555"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const int port = sim.TcpPort();
    QVERIFY(rig.ConnectTcp(port));
    QCOMPARE(rig.Panel(0).substr(0, 14), std::string("Подключ"));
    QTRY_COMPARE(rig.Panel(0), "Подключено к 127.0.0.1, порт:" + std::to_string(port));
    QVERIFY(!rig.Action("Connect")->isVisible());
    QVERIFY(rig.Action("Disconnect")->isVisible());
    for (const char* b : {"Button1", "Button5", "Button6", "ReadTime_Button", "WriteTime_Button", "PcTime_Button",
                          "ReadConf_Button", "WriteConf_Button"}) {
      QVERIFY2(ButtonEnabled(rig, b), b);
    }
    QVERIFY(!ButtonEnabled(rig, "Button2"));

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
    for (const char* b : {"Button1", "Button2", "PcTime_Button"}) QVERIFY2(!ButtonEnabled(rig, b), b);
    QVERIFY(rig.Action("Connect")->isVisible());
    QVERIFY(!rig.Action("Disconnect")->isVisible());

    // The settings of the run are saved on close, the socket closed first.
    rig.main().close();
    const std::string ini = ReadFileBytes(rig.SettingsPath()).value_or("");
    QVERIFY(ini.find("Type=1\r\n") != std::string::npos);
    QVERIFY(ini.find("IP_Addr=127.0.0.1\r\nPort=" + std::to_string(port) + "\r\n") != std::string::npos);
  }

  void SerialConnectReadAndDisconnect() {
    SimMeter sim({"--serial-number", "808"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const std::string device = sim.SerialPath();
    QVERIFY(rig.ConnectWith([&device](ConnectionDialogForm& d) {
      d.window().SetText("ComboBox1", device);
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
    // The port was let go: it opens again.
    QVERIFY(ConnectSerial(rig, device));
    QVERIFY(rig.main().session().link.port.IsOpen());
  }

  // Closing the window while a read waits for a silent meter ends the read first (no message
  // box, no use of a closed port), then closes as always.
  void CloseWhileAReadWaits() {
    SimMeter sim({"--fault", "silent"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    QVERIFY(ConnectSerial(rig, sim.SerialPath()));
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
    const int port = sim.TcpPort();
    sim.Kill();
    GuiRig rig;
    QVERIFY(rig.ConnectTcp(port));
    QTRY_VERIFY(rig.Panel(0).find("соединение отклонено") != std::string::npos);
    QVERIFY(rig.Action("Connect")->isVisible());
    QVERIFY(!ButtonEnabled(rig, "Button1"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::ConnectionTest)
#include "connection_test.moc"
