// "Вид" → "Журнал обмена" against kamt-sim over TCP: the frames of a command as lines, their
// copy and their file, pause, clear, and the listening that ends with the window.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "gui_rig.h"
#include "link/traffic_line.h"
#include "text/cp1251.h"
#include "text/text_file.h"
#include "ui/traffic_monitor.h"
#include "ui/traffic_monitor_model.h"

namespace kamt::test {

class TrafficMonitorTest : public QObject {
  Q_OBJECT

 private:
  static TrafficMonitor& Open(GuiRig& rig) {
    rig.Action("Traffic1")->trigger();
    if (!rig.main().trafficMonitor()) qFatal("no traffic monitor");
    return *rig.main().trafficMonitor();
  }
  static QString Cell(TrafficMonitor& m, int row, int column) {
    return m.model().data(m.model().index(row, column), Qt::DisplayRole).toString();
  }
  static void Click(TrafficMonitor& m, const char* button) { QTest::mouseClick(m.findChild<QPushButton*>(button), Qt::LeftButton); }
  static QString Lines(TrafficMonitor& m) { return m.findChild<QLabel*>(QStringLiteral("Lines_Label"))->text(); }

 private slots:
  void CurrentDataReadIsShownCopiedAndSaved() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "321", "--hour-records", "3"});
    GuiRig rig;
    TrafficMonitor& monitor = Open(rig);
    QCOMPARE(monitor.windowTitle(), QStringLiteral("Журнал обмена"));
    rig.ConnectAndRead(sim);

    QTRY_COMPARE(monitor.model().rowCount(), 2);
    const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$"));
    QVERIFY(time.match(Cell(monitor, 0, 0)).hasMatch());
    QCOMPARE(Cell(monitor, 0, 1), QStringLiteral("TX"));
    QCOMPARE(Cell(monitor, 0, 2), QStringLiteral("01 00 00 00 00 06 FF 04 10 00 00 30"));
    QCOMPARE(Cell(monitor, 0, 3), QStringLiteral("0x04 чтение входных регистров; начало 0x1000, количество 48; "
                                                 "транзакция 1, протокол 0, длина 6, устройство 255"));
    QVERIFY(Cell(monitor, 1, 2).startsWith(QStringLiteral("01 00 00 00 00 63 FF 04 60 ")));

    // The archive's two frames a record join them: newest at the bottom, in view.
    rig.main().window().SetText("HourNum_Edit", "2");
    rig.Click("Button2");
    QTRY_COMPARE(monitor.model().rowCount(), 2 + 3 * 2);
    // Records 0, 1 and 2 in transactions 2, 3 and 4; over TCP the request carries a fourth byte.
    QCOMPARE(Cell(monitor, 6, 3), QStringLiteral("0x46 часовой архив; запись 2; "
                                                 "транзакция 4, протокол 0, длина 5, устройство 255"));
    monitor.resize(1100, 420);
    GuiRig::SaveScreen(monitor, QStringLiteral("traffic_monitor"));

    // Copy: all lines without a selection, the selected ones with it.
    const TrafficLog& log = monitor.log();
    const std::string all = log.Text(log.FirstNumber(), log.EndNumber(), "\n");
    Click(monitor, "Copy_Button");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromStdString(all));
    auto* view = monitor.findChild<QTableView*>(QStringLiteral("Traffic_View"));
    view->selectRow(1);
    QCOMPARE(monitor.CopiedText(), QString::fromStdString(TrafficLineText(*log.Find(log.FirstNumber() + 1)) + "\n"));

    // Save: the same lines, Windows-1251 with CR LF.
    const auto path = rig.dir.path / "Журнал.txt";
    QString suggested;
    monitor.askSavePath = [&](QWidget*, const QString& offered) {
      suggested = offered;
      return QString::fromStdU16String(path.u16string());
    };
    Click(monitor, "Save_Button");
    QVERIFY(suggested.endsWith(QStringLiteral("Журнал обмена.txt")));
    QCOMPARE(ReadFileBytes(path).value_or(""), Utf8ToCp1251(log.Text(log.FirstNumber(), log.EndNumber(), "\r\n")));
    QVERIFY(rig.messages.isEmpty());
    // A save that fails says so and leaves nothing.
    monitor.askSavePath = [&](QWidget*, const QString&) {
      return QString::fromStdU16String((rig.dir.path / "missing" / "traffic.txt").u16string());
    };
    Click(monitor, "Save_Button");
    QCOMPARE(rig.messages, QStringList{QStringLiteral("Ошибка открытия файла: traffic.txt")});
    QVERIFY(!std::filesystem::exists(rig.dir.path / "missing"));
  }

  void PauseClearAndCloseStopTheLines() {
    SimMeter sim({"--no-serial", "--tcp", "0"});
    GuiRig rig;
    TrafficMonitor& monitor = Open(rig);
    rig.ConnectAndRead(sim);
    QTRY_COMPARE(monitor.model().rowCount(), 2);

    Click(monitor, "Pause_Button");
    rig.Click("Button1");
    QCOMPARE(monitor.log().size(), std::size_t{2});
    QVERIFY(Lines(monitor).contains(QStringLiteral("пауза")));

    Click(monitor, "Pause_Button");
    rig.Click("Button1");
    QTRY_COMPARE(monitor.model().rowCount(), 4);
    QVERIFY(Cell(monitor, 2, 2).startsWith(QStringLiteral("03 00 ")));  // the third transaction

    Click(monitor, "Clear_Button");
    QCOMPARE(monitor.model().rowCount(), 0);
    QCOMPARE(Lines(monitor), QStringLiteral("Строк: 0"));

    // Closed, the window costs the exchanges nothing; shown again, it listens again.
    monitor.close();
    QVERIFY(!monitor.Listening());
    QCOMPARE(rig.main().session().link.socket.traffic, nullptr);
    QCOMPARE(rig.main().session().link.port.traffic, nullptr);
    rig.Click("Button1");
    QCOMPARE(monitor.log().size(), std::size_t{0});
    QCOMPARE(&Open(rig), &monitor);
    QVERIFY(monitor.Listening());
  }

  // However fast frames come, the table takes them in at its next refresh, all at once. The
  // newest 10,000 lines stay; the table lets go of the rows the log has dropped.
  void FramesReachTheTableInBatchesUpToTheLogsLimit() {
    GuiRig rig;
    TrafficMonitor& monitor = Open(rig);
    const std::uint8_t first[] = {0x2B};
    const std::uint8_t later[] = {0x41};
    monitor.log().Record(TrafficDirection::Sent, TrafficKind::ModemText, first);
    QTRY_COMPARE(monitor.model().rowCount(), 1);
    QSignalSpy inserted(&monitor.model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&monitor.model(), &QAbstractItemModel::rowsRemoved);
    for (std::size_t i = 0; i < kTrafficLogLimit; ++i) monitor.log().Record(TrafficDirection::Sent, TrafficKind::ModemText, later);
    QCOMPARE(monitor.model().rowCount(), 1);
    QTRY_COMPARE(monitor.model().rowCount(), static_cast<int>(kTrafficLogLimit));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(removed.count(), 1);  // the view must drop the log's oldest row too
    QCOMPARE(Cell(monitor, 0, 2), QStringLiteral("41"));
    QVERIFY(Lines(monitor).contains(QStringLiteral("старые")));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::TrafficMonitorTest)
#include "traffic_monitor_test.moc"
