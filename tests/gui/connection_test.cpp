// The connection lifecycle, the meter's commands and the traffic monitor through the real
// window, against the simulated meter over a pseudo-terminal and over Modbus TCP, the meter gone
// in the middle of a command included: the window never freezes, and says what is left.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "gui_rig.h"
#include "text/cp1251.h"
#include "text/text_file.h"
#include "ui/archive_viewer.h"
#include "ui/archive_viewer_chart.h"
#include "ui/traffic_monitor.h"
#include "ui/traffic_monitor_model.h"

namespace kamt::test {

class ConnectionTest : public QObject {
  Q_OBJECT

 private:
  static TrafficMonitor& Monitor(GuiRig& rig) {
    rig.Action("Traffic1")->trigger();
    return *rig.main().trafficMonitor();
  }
  static QString Cell(TrafficMonitor& m, int row, int column) {
    return m.model().data(m.model().index(row, column), Qt::DisplayRole).toString();
  }
  static void Click(TrafficMonitor& m, const char* button) { QTest::mouseClick(m.findChild<QPushButton*>(button), Qt::LeftButton); }
  static bool Matches(const QString& text, const QString& pattern) {
    return QRegularExpression(QStringLiteral("^") + pattern + QStringLiteral("$")).match(text).hasMatch();
  }

 private slots:
  // The archives wait for the current data. A meter gone: the attempt says why.
  void TcpConnectReadDisconnectAndARefusal() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "555"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    QVERIFY(rig.ConnectTcp(sim.TcpPort(), false));
    QTRY_COMPARE(rig.Panel(0), "Подключено к 127.0.0.1, порт:" + std::to_string(sim.TcpPort()));
    QVERIFY(!rig.Action("Connect")->isVisible() && rig.Enabled("WriteTime_Button") && !rig.Enabled("Button2"));
    rig.Click("Button1");
    QCOMPARE(rig.main().window().Text("HourNum_Label"), std::string("Всего записей:719"));
    QVERIFY(rig.Enabled("Button2"));
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_read_over_tcp"));
    rig.Action("Disconnect")->trigger();
    QCOMPARE(rig.Panel(1), std::string("Соединение разорвано"));
    QVERIFY(!rig.Enabled("Button1") && !rig.Enabled("Button2") && rig.Action("Connect")->isVisible());
    sim.Kill();
    QVERIFY(rig.ConnectTcp(sim.TcpPort(), false));
    QTRY_VERIFY(rig.Panel(0).find("соединение отклонено") != std::string::npos);
    QVERIFY(rig.messages.isEmpty());
  }

  // The port is let go on disconnect: it opens again.
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
    rig.Click("Button1");
    QCOMPARE(std::tuple(rig.Panel(2), rig.main().window().Text("Label6")), std::tuple("Принято 101 байт", "Зав. номер: 808"));
    rig.Action("Disconnect")->trigger();
    QVERIFY(!rig.main().session().link.port.IsOpen());
    QVERIFY(rig.ConnectSerial(device) && rig.main().session().link.port.IsOpen() && rig.messages.isEmpty());
  }

  // While a read runs only its own group's abort stays live; the abort keeps what was read.
  // "Показать" opens the file a read saved, and goes when a read saves none.
  void ArchiveReadAbortAndShow() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "7", "--hour-records", "200", "--fault", "delay:100"});
    GuiRig rig;
    rig.ConnectAndRead(sim);
    auto* progress = rig.Child<QProgressBar>(rig.main(), "Archive_ProgressBar");
    auto* show = rig.Child<QPushButton>(rig.main(), "ShowArchive_Button");
    QVERIFY(!show->isVisible());
    bool sawLockedGroups = false;
    rig.WhenReady([&] { return progress->isVisible() && progress->value() >= 3; }, [&] {
      sawLockedGroups = !rig.Enabled("GroupBox1") && !rig.Enabled("GroupBox7") && !rig.Enabled("Button2") &&
                        rig.Enabled("GroupBox6") && rig.Enabled("Button7") && progress->maximum() == 200;
      GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_archive_read"));
      rig.Click("Button7");
    });
    rig.Click("Button2");
    QVERIFY(sawLockedGroups);
    QCOMPARE(rig.Panel(1), std::string("Данные сохранены в файл: KAMTarchH7.txt"));
    const std::size_t rows = GuiRig::FileLineCount(rig.dir.path / "KAMTarchH7.txt") - 3;
    QVERIFY(rows >= 2 && rows < 199 && !progress->isVisible());
    QVERIFY(rig.Enabled("GroupBox1") && rig.Enabled("GroupBox7") && rig.Enabled("Button2"));
    QTest::mouseClick(show, Qt::LeftButton);
    const QList<ArchiveViewer*> viewers = rig.main().findChildren<ArchiveViewer*>();
    QCOMPARE(std::tuple(viewers.size(), viewers.first()->chart().PointCount()), std::tuple(1, static_cast<int>(rows)));
    rig.main().window().SetText("HourNum_Edit", "0");  // one record: no file
    rig.Click("Button2");
    QVERIFY(!show->isVisible());
    QVERIFY(rig.messages.isEmpty());
  }

  // Closing the window while a read waits for a silent meter ends the read first (no message
  // box, no use of a closed port), then closes as always; meanwhile the connection dialog is
  // refused.
  void CloseWhileAReadWaits() {
    SimMeter sim({"--fault", "silent"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    QVERIFY(rig.ConnectSerial(sim.SerialPath()));
    bool running = false, dialogShown = false;
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
    rig.Click("Button1");
    QVERIFY(running && !dialogShown && rig.messages.isEmpty());
    QTRY_VERIFY(!rig.main().isVisible());
    QVERIFY(!rig.main().session().link.port.IsOpen() && std::filesystem::exists(rig.SettingsPath()));
  }

  // The pseudo-terminal hangs up under a read that waits: the wait ends then, not at its
  // time-out, and the port counts as closed, as a device gone does.
  void SerialLineVanishesWhileAReadWaits() {
    SimMeter sim({"--verbose", "--fault", "delay:60000"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    QVERIFY(rig.ConnectSerial(sim.SerialPath()));
    rig.WhenReady([&] { return sim.Logged("serial rx"); }, [&] { sim.Kill(); });
    rig.Click("Button1");
    QCOMPARE(rig.messages, QStringList{"Устройство не отвечает!"});
    QCOMPARE(rig.Panel(1), std::string("Ошибка чтения"));
    QVERIFY(!rig.main().session().link.port.IsOpen() && rig.Enabled("GroupBox1"));
  }

  // Each frame a line: time, direction, bytes and what they mean (over TCP the archive request
  // carries a fourth byte). Copy takes the selected lines; the file is Windows-1251 with CR LF.
  void TrafficMonitorShowsCopiesAndSavesTheFrames() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--hour-records", "3"});
    GuiRig rig;
    TrafficMonitor& monitor = Monitor(rig);
    rig.ConnectAndRead(sim);
    rig.main().window().SetText("HourNum_Edit", "1");
    rig.Click("Button2");
    QTRY_COMPARE(monitor.model().rowCount(), 6);
    QCOMPARE(Cell(monitor, 0, 1) + Cell(monitor, 1, 1), QStringLiteral("TXRX"));
    QVERIFY(Cell(monitor, 1, 2).startsWith(QStringLiteral("01 00 00 00 00 63 FF 04 60 ")));
    QCOMPARE(Cell(monitor, 4, 2), QStringLiteral("03 00 00 00 00 05 FF 46 00 02 00"));
    GuiRig::SaveScreen(monitor, QStringLiteral("traffic_monitor"));
    monitor.findChild<QTableView*>(QStringLiteral("Traffic_View"))->selectRow(0);
    const QString request = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\tTX\t01 00 00 00 00 06 FF 04 10 00 00 30\t"
                                           "0x04 чтение входных регистров; начало 0x1000, количество 48; транзакция 1, "
                                           "протокол 0, длина 6, устройство 255");
    QVERIFY(Matches(monitor.CopiedText(), request + "\n"));
    const auto path = rig.dir.path / "traffic.txt";
    monitor.askSavePath = [&](QWidget*, const QString&) { return QString::fromStdString(path.string()); };
    Click(monitor, "Save_Button");
    const std::string bytes = ReadFileBytes(path).value_or("");
    QCOMPARE(std::count(bytes.begin(), bytes.end(), '\n'), 6);
    QVERIFY(Matches(QString::fromStdString(Cp1251ToUtf8(bytes.substr(0, bytes.find('\n') + 1))), request + "\r\n"));
    QVERIFY(rig.messages.isEmpty());
  }

  // Paused, it records nothing; cleared, nothing is left. Closed, the window costs the
  // exchanges nothing; shown again, it listens again.
  void TrafficMonitorPausesClearsAndStopsWithTheWindow() {
    SimMeter sim({"--no-serial", "--tcp", "0"});
    GuiRig rig;
    TrafficMonitor& monitor = Monitor(rig);
    rig.ConnectAndRead(sim);
    Click(monitor, "Pause_Button");
    rig.Click("Button1");
    QCOMPARE(monitor.log().size(), std::size_t{2});
    Click(monitor, "Pause_Button");
    Click(monitor, "Clear_Button");
    QCOMPARE(monitor.findChild<QLabel*>("Lines_Label")->text(), QStringLiteral("Строк: 0"));
    monitor.close();
    QVERIFY(!monitor.Listening() && !rig.main().session().link.socket.traffic);
    rig.Click("Button1");
    QVERIFY(&Monitor(rig) == &monitor && monitor.Listening() && monitor.log().size() == 0);
  }

};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::ConnectionTest)
#include "connection_test.moc"
