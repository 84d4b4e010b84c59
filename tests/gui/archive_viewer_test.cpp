// The archive viewer opened from "Файл" → "Открыть архив..." on the golden files of every
// kind: the table, the chart with its zoom, tooltip and PNG, and the files it refuses.
#include <QApplication>
#include <QCategoryAxis>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <fstream>

#include "gui_rig.h"
#include "meter/archive_file.h"
#include "meter/meter_clock_calendar.h"
#include "text/text_file.h"
#include "ui/archive_viewer.h"
#include "ui/archive_viewer_chart.h"
#include "ui/archive_viewer_launcher.h"

namespace kamt::test {

class ArchiveViewerTest : public QObject {
  Q_OBJECT

 private:
  // The unit tests' golden files: what the writer makes of known records, every kind.
  static QString Golden(const QString& name) {
    return QDir::cleanPath(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../unit/golden/") + name));
  }
  static QString InRig(GuiRig& rig, const char* name) { return QString::fromStdString((rig.dir.path / name).string()); }

  // "Файл" → "Открыть архив..." with the file dialog answered by path.
  static ArchiveViewer* OpenFromMenu(GuiRig& rig, const QString& path) {
    rig.main().archiveViewers().askOpenPath = [path](QWidget*, const QString&) { return path; };
    rig.Action("OpenArchive")->trigger();
    const QList<ArchiveViewer*> viewers = rig.main().findChildren<ArchiveViewer*>();
    return viewers.isEmpty() ? nullptr : viewers.last();
  }

  static QAbstractItemModel& Table(ArchiveViewer& v) { return *v.findChild<QTableView*>("Rows_Table")->model(); }
  static QString Cell(ArchiveViewer& v, int row, int column) { return Table(v).data(Table(v).index(row, column)).toString(); }
  static QString Summary(ArchiveViewer& v) { return v.findChild<QLabel*>(QStringLiteral("Summary_Label"))->text(); }
  static void Press(QWidget& v, const char* button) {
    QTest::mouseClick(v.findChild<QPushButton*>(QString::fromUtf8(button)), Qt::LeftButton);
  }

  // Where the point of a row is drawn, in the chart view's coordinates.
  static QPoint PointPosition(ArchiveChartView& chart, int series, int index) {
    auto* line = qobject_cast<QLineSeries*>(chart.chart()->series().at(series));
    const QPointF inChart = chart.chart()->mapToPosition(line->at(index), line);
    return chart.mapFromScene(chart.chart()->mapToScene(inChart));
  }

 private slots:
  void HourlyFileWithPressure() {
    GuiRig rig;
    ArchiveViewer* v = OpenFromMenu(rig, Golden("hourly_pressure.txt"));
    QVERIFY(v);
    v->resize(1000, 720);
    QVERIFY(QTest::qWaitForWindowExposed(v));
    QCOMPARE(v->windowTitle(), QStringLiteral("Просмотр архива: hourly_pressure.txt"));
    QCOMPARE(Summary(*v), QStringLiteral("<b>Часовой архив</b>, заводской номер 123: 3 интервала, 31.05.2021 22:00 – "
                                         "01.06.2021 01:00"));

    // The table: the file's columns, numbers with the window's decimal comma, the sign in front.
    QCOMPARE(Table(*v).headerData(7, Qt::Horizontal).toString(), QStringLiteral("Давление"));
    QCOMPARE(Cell(*v, 0, 2), QStringLiteral("-0,05"));
    QCOMPARE(Cell(*v, 2, 3), QStringLiteral("-0,50ч"));

    // The chart: '+', '-' and the pressure on an axis of its own, points at the intervals' starts.
    ArchiveChartView& chart = v->chart();
    const QList<QAbstractSeries*> series = chart.chart()->series();
    QCOMPARE(series.at(1)->name(), QStringLiteral("Объем-,м3"));
    QCOMPARE(series.at(2)->attachedAxes().at(1)->alignment(), Qt::AlignRight);
    const auto* plus = qobject_cast<QLineSeries*>(series.at(0));
    QCOMPARE(plus->at(1), QPointF(static_cast<double>(*WallSeconds({2021, 5, 31, 23, 0, 0})), 0.07));
    QVERIFY(chart.timeAxis().categoriesLabels().contains(QStringLiteral("00:00 01.06")));

    const QString tip = QStringLiteral(
        "23-00ч 01.06.2021\n31.05.2021 23:00 – 01.06.2021 00:00\nОбъем+,м3: 0,07\nОбъем-,м3: 0,00\n"
        "Время работы: 0,99ч\nКод НС: 0xFF\nUару: 12,34\nЧисло сбоев: 65535\nДавление: -1,25");
    const QPoint second = PointPosition(chart, 0, 1);
    QCOMPARE(chart.RowAt(second + QPoint(3, -40)), 1);
    QCOMPARE(chart.RowAt(QPoint(1, 1)), -1);  // outside the plot
    QMouseEvent hover(QEvent::MouseMove, QPointF(second), QPointF(chart.viewport()->mapToGlobal(second)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart.viewport(), &hover);
    QTRY_COMPARE(QToolTip::text(), tip);

    v->findChild<QTableView*>(QStringLiteral("Rows_Table"))->selectRow(2);
    const auto* mark = qobject_cast<QXYSeries*>(series.at(3));
    QCOMPARE(mark->count(), 1);
    QCOMPARE(mark->at(0), plus->at(2));

    // "Сохранить график..." suggests the archive's name with .png beside it; a failure says so.
    QString suggested;
    v->askSavePath = [&](QWidget*, const QString& offered) {
      suggested = offered;
      return InRig(rig, "chart.png");
    };
    Press(*v, "SaveChart_Button");
    QCOMPARE(suggested, Golden("hourly_pressure.png"));
    QCOMPARE(QImage(InRig(rig, "chart.png")).size(), chart.size() * chart.devicePixelRatio());
    const QString nowhere = InRig(rig, "no such folder/chart.png");
    QVERIFY(!v->SaveChart(nowhere));
    QCOMPARE(rig.messages.size(), 1);
    QVERIFY(rig.messages.first().startsWith(QStringLiteral("Не удалось сохранить график в ") + nowhere));
    QVERIFY(!std::filesystem::exists(rig.dir.path / "no such folder"));
    GuiRig::SaveScreen(*v, QStringLiteral("archive_viewer_hourly_pressure"));
  }

  void ZoomWithTheRubberBandAndReset() {
    GuiRig rig;
    ArchiveViewer* v = OpenFromMenu(rig, Golden("daily.txt"));
    QVERIFY(v);
    QVERIFY(QTest::qWaitForWindowExposed(v));
    ArchiveChartView& chart = v->chart();
    const qreal min = chart.timeAxis().min();
    const qreal max = chart.timeAxis().max();
    const QStringList labels = chart.timeAxis().categoriesLabels();
    const QRectF plot = chart.chart()->plotArea();
    const QPoint from = chart.mapFromScene(chart.chart()->mapToScene(plot.topLeft() + QPointF(plot.width() / 4, 5)));
    const QPoint to = chart.mapFromScene(chart.chart()->mapToScene(plot.center()));
    QTest::mousePress(chart.viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(chart.viewport(), to);
    QTest::mouseRelease(chart.viewport(), Qt::LeftButton, {}, to);
    QTRY_VERIFY(chart.timeAxis().max() - chart.timeAxis().min() < (max - min) / 2);
    // The marks follow the zoom: finer steps over the shorter time.
    const QStringList zoomed = chart.timeAxis().categoriesLabels();
    QVERIFY2(!zoomed.contains(QStringLiteral("00:00 01.06")) && !zoomed.isEmpty(), qPrintable(zoomed.join(' ')));
    Press(*v, "ResetZoom_Button");
    QCOMPARE(chart.timeAxis().min(), min);
    QCOMPARE(chart.timeAxis().max(), max);
    QCOMPARE(chart.timeAxis().categoriesLabels(), labels);
  }

  void EveryKindAndSensor_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("rightAxis");
    QTest::addColumn<QString>("firstTime");
    QTest::newRow("hourly, pressure") << "hourly_pressure.txt" << 8 << "Давление" << "22-23ч 31.05.2021";
    QTest::newRow("hourly, temperature") << "hourly_temperature.txt" << 8 << "Температура" << "22-23ч 31.05.2021";
    QTest::newRow("hourly, no sensor") << "hourly_no_sensor.txt" << 7 << "" << "22-23ч 31.05.2021";
    QTest::newRow("daily") << "daily.txt" << 6 << "" << "31.05.2021";
    QTest::newRow("monthly") << "monthly.txt" << 5 << "" << "05.2021";
  }

  void EveryKindAndSensor() {
    QFETCH(QString, file);
    QFETCH(int, columns);
    QFETCH(QString, rightAxis);
    QFETCH(QString, firstTime);
    GuiRig rig;
    ArchiveViewer* v = OpenFromMenu(rig, Golden(file));
    QVERIFY(v);
    QCOMPARE(Table(*v).columnCount(), columns);
    QCOMPARE(Cell(*v, 0, 0), firstTime);
    QCOMPARE(v->chart().PointCount(), 3);
    const QList<QAbstractAxis*> right = v->chart().chart()->axes(Qt::Vertical);
    QCOMPARE(right.size(), rightAxis.isEmpty() ? 1 : 2);
    if (!rightAxis.isEmpty()) QCOMPARE(right.at(1)->titleText(), rightAxis);
    GuiRig::SaveScreen(*v, QStringLiteral("archive_viewer_") + QFileInfo(file).completeBaseName());
  }

  // A file that is not one of ours: the message names the line; no viewer, nothing written.
  void BrokenFileIsNamedAndNothingIsWritten() {
    GuiRig rig;
    std::string bytes = ReadFileBytes(Golden("hourly_pressure.txt").toStdString()).value();
    bytes.replace(bytes.find("0.07"), 4, "0,07");
    std::ofstream(rig.dir.path / "KAMTarchH123.txt", std::ios::binary) << bytes;
    const auto files = [&] { return QDir(InRig(rig, "")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden); };
    const QStringList before = files();
    QVERIFY(!OpenFromMenu(rig, InRig(rig, "KAMTarchH123.txt")));
    QCOMPARE(rig.messages, QStringList{QStringLiteral("Не удалось открыть архив KAMTarchH123.txt:\nСтрока 5: не "
                                                      "удалось прочитать объём '+'")});
    QCOMPARE(files(), before);
  }

  void HeaderOnlyShowsAnEmptyTable() {
    GuiRig rig;
    QVERIFY(WriteTextFile(rig.dir.path / "KAMTarchD42.txt", FormatArchiveHeader({ArchiveKind::Daily, 42, 2, 2, 0})));
    ArchiveViewer* v = OpenFromMenu(rig, InRig(rig, "KAMTarchD42.txt"));
    QVERIFY(v);
    QCOMPARE(Table(*v).rowCount(), 0);
    QCOMPARE(v->chart().PointCount(), 0);
    QCOMPARE(v->chart().chart()->title(), QStringLiteral("В файле нет строк"));
    QCOMPARE(Summary(*v), QStringLiteral("<b>Суточный архив</b>, заводской номер 42: 0 интервалов"));
    QVERIFY(v->SaveChart(InRig(rig, "empty.png")));
    GuiRig::SaveScreen(*v, QStringLiteral("archive_viewer_header_only"));
  }

  // A month of hourly records of a working meter: what an engineer usually looks at.
  void AMonthOfHours() {
    GuiRig rig;
    std::vector<ArchiveRecord> table;
    ArchiveRecord r{.month = 5, .year = 24, .voltage = 360, .volumePlus = 1'000'000};
    for (int i = 0; i <= 24 * 30; ++i) {
      r.hour = static_cast<std::uint8_t>(i % 24);
      r.day = static_cast<std::uint8_t>(1 + i / 24);
      r.volumePlus += 90 + i * 37 % 300;
      r.pressure = 3.9f + static_cast<float>(i % 7) * 0.1f;
      table.push_back(r);
    }
    const std::vector<bool> saved(table.size(), true);
    QVERIFY(WriteTextFile(rig.dir.path / "H.txt", FormatArchiveFile({ArchiveKind::Hourly, 2024, 2, 2, 1}, table, saved)));
    ArchiveViewer* v = OpenFromMenu(rig, InRig(rig, "H.txt"));
    QVERIFY(v);
    v->resize(1100, 760);
    QVERIFY(QTest::qWaitForWindowExposed(v));
    QCOMPARE(v->chart().PointCount(), 720);
    // Over a month the marks are dates.
    const QStringList labels = v->chart().timeAxis().categoriesLabels();
    QVERIFY2(!labels.isEmpty() && labels.first().endsWith(QStringLiteral(".2024")), qPrintable(labels.join(' ')));
    GuiRig::SaveScreen(*v, QStringLiteral("archive_viewer_month_of_hours"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::ArchiveViewerTest)
#include "archive_viewer_test.moc"
