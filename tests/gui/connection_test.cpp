// The connection lifecycle and the current-data read through the real window, against the
// simulated meter over a pseudo-terminal and over Modbus TCP.
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "gui_rig.h"
#include "text/text_file.h"

namespace kamt::test {

class ConnectionTest : public QObject {
  Q_OBJECT

 private slots:
  void TcpConnectReadDisconnectAndARefusal() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "555"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const int port = sim.TcpPort();
    QVERIFY(rig.ConnectTcp(port, false));
    QCOMPARE(rig.Panel(0).substr(0, 14), std::string("Подключ"));
    QTRY_COMPARE(rig.Panel(0), "Подключено к 127.0.0.1, порт:" + std::to_string(port));
    QVERIFY(!rig.Action("Connect")->isVisible());
    for (const char* b : {"Button1", "Button6", "WriteTime_Button", "WriteConf_Button"}) QVERIFY2(rig.Enabled(b), b);
    QVERIFY(!rig.Enabled("Button2"));

    rig.Click("Button1");
    QCOMPARE(rig.Panel(1), std::string("Данные считаны"));
    QCOMPARE(rig.main().window().Text("Label6"), std::string("Зав. номер: 555"));
    QCOMPARE(rig.main().window().Text("HourNum_Label"), std::string("Всего записей:719"));
    QVERIFY(rig.Enabled("Button2"));
    QVERIFY(rig.messages.isEmpty());
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_read_over_tcp"));

    rig.Action("Disconnect")->trigger();
    QCOMPARE(rig.Panel(0), std::string());
    QCOMPARE(rig.Panel(1), std::string("Соединение разорвано"));
    for (const char* b : {"Button1", "Button2", "PcTime_Button"}) QVERIFY2(!rig.Enabled(b), b);
    QVERIFY(rig.Action("Connect")->isVisible());
    QVERIFY(!rig.Action("Disconnect")->isVisible());
    // A meter gone: the attempt says why and leaves the window unconnected.
    sim.Kill();
    QVERIFY(rig.ConnectTcp(port, false));
    QTRY_VERIFY(rig.Panel(0).find("соединение отклонено") != std::string::npos);
    QVERIFY(rig.Action("Connect")->isVisible());

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
    QVERIFY(rig.Action("Disconnect")->isVisible());
    rig.Click("Button1");
    QCOMPARE(rig.Panel(1), std::string("Данные считаны"));
    QCOMPARE(rig.Panel(2), std::string("Принято 101 байт"));
    QCOMPARE(rig.main().window().Text("Label6"), std::string("Зав. номер: 808"));
    QVERIFY(rig.messages.isEmpty());

    rig.Action("Disconnect")->trigger();
    QCOMPARE(rig.Panel(1), std::string("Соединение разорвано"));
    QVERIFY(!rig.main().session().link.port.IsOpen());
    // The port was let go: it opens again.
    QVERIFY(rig.ConnectSerial(device));
    QVERIFY(rig.main().session().link.port.IsOpen());
  }

  // Closing the window while a read waits for a silent meter ends the read first (no message
  // box, no use of a closed port), then closes as always; meanwhile the connection dialog is
  // refused.
  void CloseWhileAReadWaits() {
    SimMeter sim({"--fault", "silent"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    QVERIFY(rig.ConnectSerial(sim.SerialPath()));
    bool running = false;
    bool dialogShown = false;
    QTimer::singleShot(300, &rig.main(), [&] {
      running = rig.main().session().commandRunning;
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
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::ConnectionTest)
#include "connection_test.moc"
