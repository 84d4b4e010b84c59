// "Вид" → "Парк приборов...": a database the collector filled from kamt-sim, its meters as a
// table (sorted, filtered, faults red), a meter's chart and polls, a poll now, the archives as
// files and the monthly statement.
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include "fleet/collector.h"
#include "fleet/fleet_file.h"
#include "fleet/worker_pool.h"
#include "gui_rig.h"
#include "platform/qt_fleet_platform.h"
#include "platform/sql_store.h"
#include "text/text_file.h"
#include "ui/archive_viewer_chart.h"
#include "ui/fleet_window.h"
#include "ui/statement_dialog.h"

namespace kamt::test {

class FleetWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void MetersChartPollsPollNowAndStatement() {
    SimMeter sim({"--fleet", "3", "--tcp", "0", "--no-serial", "--start", "2026-12-07 10:30:00", "--hour-records",
                  "48", "--day-records", "10", "--month-records", "3"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const std::string db = (rig.dir.path / "fleet.db").string();
    std::string lines;
    for (const auto& m : sim.Fleet()) lines += "m" + std::to_string(m.index) + " tcp=127.0.0.1:" + std::to_string(m.tcpPort) + "\n";
    const FleetFile fleet = ParseFleetText(lines, "fleet.txt");
    {
      // What `kamt collect --once` does, then a later poll of m2 that got no answer.
      QtFleetPlatform platform;
      const auto store = platform.OpenStore(db);
      QCOMPARE(Collect(fleet.meters, *platform.MakePool(db, 2), {}).Failed(), 0);
      store->SavePoll({std::nullopt, "m2", "2099-01-01T00:00:00Z", "2099-01-01T00:00:03Z", "failed",
                       "current data: Устройство не отвечает!", 1, 1, std::nullopt, 0});
    }

    rig.Action("Fleet1")->trigger();
    FleetWindow* w = rig.main().fleetWindow();
    QVERIFY(w && w->isVisible());
    QVERIFY(!w->OpenDatabase(QString::fromStdString((rig.dir.path / "none" / "x.db").string())));
    QVERIFY(w->StatusText().startsWith(QStringLiteral("Не удалось открыть базу данных")));
    QVERIFY(w->OpenDatabase(QString::fromStdString(db)));
    auto* table = w->findChild<QTableView*>(QStringLiteral("Meters_Table"));
    QAbstractItemModel& rows = *table->model();
    QCOMPARE(rows.rowCount(), 3);
    const auto cell = [&](int row, int column, int role = Qt::DisplayRole) { return rows.index(row, column).data(role); };
    QCOMPARE(cell(2, FleetTableModel::Name).toString(), QStringLiteral("m2"));
    QCOMPARE(cell(2, FleetTableModel::Outcome).toString(), QStringLiteral("ошибка"));
    QCOMPARE(cell(2, FleetTableModel::Name, Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QCOMPARE(cell(0, FleetTableModel::Outcome).toString(), QStringLiteral("успешно"));
    QVERIFY(!cell(0, FleetTableModel::Name, Qt::ForegroundRole).isValid());
    QCOMPARE(cell(0, FleetTableModel::Records).toString(), QStringLiteral("61"));  // 48 + 10 + 3
    QCOMPARE(cell(0, FleetTableModel::State).toString(), QStringLiteral("норм. работа"));
    table->sortByColumn(FleetTableModel::Serial, Qt::DescendingOrder);
    QCOMPARE(cell(0, FleetTableModel::Name).toString(), QStringLiteral("m2"));
    w->findChild<QLineEdit*>(QStringLiteral("Filter_Edit"))->setText(QStringLiteral("ОШИБ"));
    QCOMPARE(rows.rowCount(), 1);
    w->findChild<QLineEdit*>(QStringLiteral("Filter_Edit"))->clear();
    QCOMPARE(rows.rowCount(), 3);

    w->SelectMeter(QStringLiteral("m0"));
    QVERIFY(w->chart());
    QCOMPARE(w->chart()->PointCount(), 9);  // the daily archive's 10 records
    w->findChild<QComboBox*>(QStringLiteral("Period_ComboBox"))->setCurrentIndex(1);
    QCOMPARE(w->chart()->PointCount(), 47);
    auto* polls = w->findChild<QTableWidget*>(QStringLiteral("Polls_Table"));
    QCOMPARE(polls->rowCount(), 1);

    // A collector that holds the database: the poll is refused, nothing is asked.
    {
      QtFleetPlatform collector;
      std::string holder;
      QVERIFY(collector.LockDatabase(db, holder));
      QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("PollNow_Button")), Qt::LeftButton);
      QTRY_VERIFY(!w->Polling());
      QVERIFY(w->StatusText().startsWith(QStringLiteral("База данных занята сборщиком")));
      QCOMPARE(polls->rowCount(), 1);
    }
    // Two hours later, a poll now: the window stays alive while it runs, and stores 2 records.
    QVERIFY(sim.Advance(2 * 3600));
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("PollNow_Button")), Qt::LeftButton);
    QVERIFY(w->Polling());
    QTRY_VERIFY_WITH_TIMEOUT(!w->Polling(), 30000);
    QVERIFY2(w->StatusText().startsWith(QStringLiteral("Опрос m0: успешно, записей сохранено: 2")),
             qPrintable(w->StatusText()));
    QCOMPARE(polls->rowCount(), 2);
    QCOMPARE(w->chart()->PointCount(), 49);
    w->resize(1100, 760);
    GuiRig::SaveScreen(*w, QStringLiteral("fleet_window"));

    w->askFolder = [&](QWidget*) { return QString::fromStdString((rig.dir.path / "files").string()); };
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("ExportFiles_Button")), Qt::LeftButton);
    const std::string daily = "KAMTarchD" + std::to_string(sim.Fleet().at(0).serialNumber) + ".txt";
    QVERIFY(GuiRig::FileLineCount(rig.dir.path / "files" / daily) > 9);

    w->findChild<QDateEdit*>(QStringLiteral("Month_DateEdit"))->setDate(QDate(2026, 12, 1));
    QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Statement_Button")), Qt::LeftButton);
    auto* statement = w->findChild<StatementDialog*>(QStringLiteral("StatementDialog"));
    QVERIFY(statement && statement->isVisible());
    const QString pdf = QString::fromStdString((rig.dir.path / "s.pdf").string());
    QVERIFY2(statement->SavePdf(pdf), qPrintable(statement->StatusText()));
    QVERIFY(ReadFileBytes(rig.dir.path / "s.pdf").value_or("").starts_with("%PDF"));
    GuiRig::SaveScreen(*statement, QStringLiteral("fleet_statement"));
    QVERIFY(rig.messages.isEmpty());
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::FleetWindowTest)
#include "fleet_window_test.moc"
