// The window program's forms without a meter: the control names against the .ui files, the
// lists, the connection dialog, the close, and the archive viewer on the unit tests' golden files.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QXmlStreamReader>
#include <fstream>

#include "gui_rig.h"
#include "meter/combo_items.h"
#include "meter/meter_clock_calendar.h"
#include "setup/form_controls.h"
#include "text/text_file.h"
#include "ui/archive_viewer.h"
#include "ui/archive_viewer_chart.h"
#include "ui/archive_viewer_launcher.h"

namespace kamt::test {

class FormsTest : public QObject {
  Q_OBJECT

 private:
  static QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
  static QString Golden(const QString& name) {
    return QDir::cleanPath(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../unit/golden/") + name));
  }
  // "Файл" → "Открыть архив..." with the file dialog answered by path.
  static ArchiveViewer* OpenFromMenu(GuiRig& rig, const QString& path) {
    rig.main().archiveViewers().askOpenPath = [path](QWidget*, const QString&) { return path; };
    rig.Action("OpenArchive")->trigger();
    const QList<ArchiveViewer*> viewers = rig.main().findChildren<ArchiveViewer*>();
    return viewers.isEmpty() ? nullptr : viewers.last();
  }
  static QString Cell(ArchiveViewer& v, int row, int column) {
    QAbstractItemModel& table = *v.findChild<QTableView*>("Rows_Table")->model();
    return table.data(table.index(row, column)).toString();
  }

 private slots:
  // The commands stay grey until a connection is up; every list box starts with no choice.
  void MainWindowAtStartUp() {
    GuiRig rig;
    QtWindow& w = rig.main().window();
    QCOMPARE(std::tuple(rig.main().windowTitle(), rig.Panel(0)), std::tuple(QStringLiteral("ModBus v2.2"), "Порт не открыт"));
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window"));
    QVERIFY(!rig.Action("Disconnect")->isVisible() && !w.Enabled("Button1") && !w.Enabled("ReadTime_Button"));
    for (const ComboList& list : MainWindowComboLists()) {
      auto* box = rig.main().findChild<QComboBox*>(Q(list.control));
      QStringList items, expected;
      for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
      for (std::string_view item : list.items) expected << Q(item);
      QCOMPARE(items, expected);
      QCOMPARE(w.ItemIndex(list.control), -1);
    }
    w.SetItemIndex("DayOfWeek_ComboBox", 2);
    QCOMPARE(w.Text("DayOfWeek_ComboBox"), std::string("Вторник"));
    w.SetItemIndex("DayOfWeek_ComboBox", 9);
    QCOMPARE(std::tuple(w.ItemIndex("DayOfWeek_ComboBox"), w.Text("DayOfWeek_ComboBox")), std::tuple(-1, ""));
  }

  // The logic's table of control names is the forms' own: a name in one and not the other is a
  // control the logic would miss, or one it could not find.
  void ControlTableIsTheForms() {
    const std::pair<Form, const char*> forms[] = {
        {Form::Main, "main_window.ui"}, {Form::Connection, "connection_dialog.ui"}, {Form::Modem, "modem_dialog.ui"}};
    for (const auto& [form, file] : forms) {
      QFile ui(QStringLiteral(KAMT_UI_DIR "/") + QString::fromUtf8(file));
      QVERIFY(ui.open(QIODevice::ReadOnly));
      QStringList declared, listed;
      for (QXmlStreamReader xml(&ui); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString name = xml.attributes().value(QStringLiteral("name")).toString();
        if ((xml.name() == QStringLiteral("widget") || xml.name() == QStringLiteral("action")) &&
            name != QStringLiteral("centralwidget")) {
          declared << name;
        }
      }
      for (std::string_view name : FormControls(form)) {
        if (!name.starts_with("StatusBar1_Panel")) listed << Q(name);
      }
      declared.sort();
      listed.sort();
      QCOMPARE(listed, declared);
    }
  }

  // A radio button takes clicks on its circle. A port that cannot be opened says why.
  void ConnectionDialogSwitchesAndRefuses() {
    GuiRig rig;
    ConnectionDialogForm& d = rig.form2();
    QTimer::singleShot(0, &d, [&] {
      GuiRig::SaveScreen(d, QStringLiteral("connection_dialog_serial"));
      QTest::mouseClick(rig.Child<QRadioButton>(d, "RadioGroup1_Ethernet"), Qt::LeftButton, {}, QPoint(8, 9));
      QVERIFY(rig.Child<QGroupBox>(d, "GroupBox1")->isHidden() && !rig.Child<QGroupBox>(d, "GroupBox3")->isHidden());
      GuiRig::SaveScreen(d, QStringLiteral("connection_dialog_ethernet"));
      d.reject();
    });
    rig.Action("Connect")->trigger();
    QVERIFY(rig.ConnectSerial("/nonexistent/ttyKAMT"));
    QVERIFY(rig.Panel(0).starts_with("Порт не открыт: /nonexistent/ttyKAMT: нет такого устройства"));
  }

  // What a user types into an editable box is never taken for an item of its list: Enter adds
  // nothing, and a typed name stays a typed name (position -1) even when it spells an item.
  // The close saves the settings; a file that cannot be written is reported once.
  void TypedTextIsNeverAChoiceAndTheCloseSaves() {
    GuiRig rig({}, {"/dev/ttyKAMT0", "/dev/ttyKAMT1", "/dev/ttyKAMT2"});
    auto* ports = rig.Child<QComboBox>(rig.form2(), "ComboBox1");
    QVERIFY(rig.ConnectWith([&](ConnectionDialogForm&) {
      ports->setCurrentIndex(-1);
      ports->lineEdit()->clear();
      QTest::keyClicks(ports->lineEdit(), QStringLiteral("/dev/ttyKAMT1"));
      QTest::keyClick(ports->lineEdit(), Qt::Key_Return);
    }));
    QCOMPARE(std::tuple(rig.main().session().link.LinkSettings.PortIndex, ports->count()), std::tuple(-1, 3));
    rig.main().close();
    QVERIFY(ReadFileBytes(rig.SettingsPath()).value_or("").find("[Serial]\r\nPort=-1\r\n") != std::string::npos);
    const auto path = rig.dir.path / "no-such-folder" / "Vedan_modbus.ini";
    rig.Restart(path);
    rig.main().close();
    QVERIFY(rig.main().isVisible());
    rig.main().close();
    QVERIFY(!rig.main().isVisible());
    QCOMPARE(rig.messages, QStringList{QString::fromStdString("Unable to write to " + path.string())});
  }

  // The table with the window's decimal comma; the chart's points at the intervals' starts, the
  // tooltip, the selected row's mark, "Сохранить график..." with the archive's name offered.
  void ArchiveViewerShowsAnHourlyFile() {
    GuiRig rig;
    ArchiveViewer* v = OpenFromMenu(rig, Golden("hourly_pressure.txt"));
    QVERIFY(v);
    v->resize(1000, 720);
    QVERIFY(QTest::qWaitForWindowExposed(v));
    QCOMPARE(std::tuple(Cell(*v, 0, 2), Cell(*v, 2, 3)), std::tuple(QStringLiteral("-0,05"), QStringLiteral("-0,50ч")));
    ArchiveChartView& chart = v->chart();
    auto* plus = qobject_cast<QLineSeries*>(chart.chart()->series().at(0));
    QCOMPARE(plus->at(1), QPointF(static_cast<double>(*WallSeconds({2021, 5, 31, 23, 0, 0})), 0.07));
    const QPoint second = chart.mapFromScene(chart.chart()->mapToScene(chart.chart()->mapToPosition(plus->at(1), plus)));
    QMouseEvent hover(QEvent::MouseMove, QPointF(second), QPointF(chart.viewport()->mapToGlobal(second)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart.viewport(), &hover);
    QTRY_VERIFY(QToolTip::text().startsWith(QStringLiteral("23-00ч 01.06.2021\n31.05.2021 23:00 – 01.06.2021 00:00\n")));
    v->findChild<QTableView*>(QStringLiteral("Rows_Table"))->selectRow(2);
    const auto* mark = qobject_cast<QXYSeries*>(chart.chart()->series().at(3));
    QCOMPARE(std::tuple(mark->count(), mark->at(0)), std::tuple(1, plus->at(2)));
    QString suggested;
    const QString png = QString::fromStdString((rig.dir.path / "chart.png").string());
    v->askSavePath = [&](QWidget*, const QString& offered) { return (suggested = offered), png; };
    QTest::mouseClick(v->findChild<QPushButton*>(QStringLiteral("SaveChart_Button")), Qt::LeftButton);
    QVERIFY(suggested == Golden("hourly_pressure.png") && std::filesystem::exists(rig.dir.path / "chart.png"));
    GuiRig::SaveScreen(*v, QStringLiteral("archive_viewer_hourly_pressure"));
  }

  // A file that is not one of ours is refused naming the line; nothing is written.
  void ArchiveViewerRefusesAForeignFile() {
    GuiRig rig;
    std::string bytes = ReadFileBytes(Golden("hourly_pressure.txt").toStdString()).value();
    std::ofstream(rig.dir.path / "KAMTarchH123.txt", std::ios::binary) << bytes.replace(bytes.find("0.07"), 4, "0,07");
    QVERIFY(!OpenFromMenu(rig, QString::fromStdString((rig.dir.path / "KAMTarchH123.txt").string())));
    QCOMPARE(rig.messages, QStringList{"Не удалось открыть архив KAMTarchH123.txt:\nСтрока 5: не удалось прочитать объём '+'"});
    QCOMPARE(std::distance(std::filesystem::directory_iterator(rig.dir.path), {}), 1);
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::FormsTest)
#include "forms_test.moc"
