// The window program's field tools: the converter choice, the search for meters and the
// configuration's file buttons, against the simulated meter.
#include <QListWidget>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "gui_rig.h"
#include "text/text_file.h"
#include "ui/config_diff_dialog.h"
#include "ui/config_file_buttons.h"
#include "ui/scan_dialog_form.h"

namespace kamt::test {

class FieldWindowTest : public QObject {
  Q_OBJECT

 private slots:
  // Through a converter the window reads the meter at the address typed, with the serial texts.
  void ConverterConnectionReadsTheMeterAtItsAddress() {
    SimMeter sim({"--no-serial", "--rtu-tcp", "0", "--addresses", "1,17", "--serial-numbers", "111,222"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const std::string port = sim.RtuTcpAddress().substr(10);
    QVERIFY(rig.ConnectWith([&](ConnectionDialogForm& d) {
      d.window().SetItemIndex("RadioGroup1", 2);
      d.window().SetText("Edit2", "127.0.0.1");
      d.window().SetText("Edit3", port);
      d.window().SetText("Edit1", "17");
      QVERIFY(rig.Child<QWidget>(d, "GroupBox3")->isVisible());
      QVERIFY(rig.Child<QWidget>(d, "Edit4")->isEnabled());
      GuiRig::SaveScreen(d, QStringLiteral("connection_dialog_converter"));
    }));
    QVERIFY(QTest::qWaitFor([&] { return rig.Action("Disconnect")->isVisible(); }, 5000));
    rig.Click("Button1");
    QCOMPARE(rig.main().window().Text("Label6"), std::string("Зав. номер: 222"));
    QCOMPARE(rig.Panel(2), std::string("Принято 101 байт"));
    rig.main().close();
    QVERIFY(ReadFileBytes(rig.SettingsPath()).value_or("").find("Type=1\r\n") != std::string::npos);
  }

  void ScanFindsTheMeterAndFillsTheDialog() {
    SimMeter sim({"--address", "77", "--line", "19200:8N1", "--serial-number", "555"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    ConnectionDialogForm& d = rig.form2();
    ScanDialogForm scan(&d, d.window(), ScanTarget{false, sim.SerialPath(), {}, 0, 9600});
    scan.show();
    rig.Child<QSpinBox>(scan, "FirstAddress_SpinBox")->setValue(75);
    rig.Child<QSpinBox>(scan, "LastAddress_SpinBox")->setValue(78);
    for (const char* box : {"Baud1200_CheckBox", "Baud2400_CheckBox", "Baud4800_CheckBox", "Baud38400_CheckBox",
                            "ParityEven_CheckBox", "ParityOdd_CheckBox"}) {
      rig.Child<QCheckBox>(scan, box)->setChecked(false);
    }
    scan.Start();
    QCOMPARE(rig.Child<QListWidget>(scan, "Found_ListWidget")->count(), 1);
    QCOMPARE(rig.Child<QLabel>(scan, "Progress_Label")->text(), QStringLiteral("Найдено приборов: 1"));
    GuiRig::SaveScreen(scan, QStringLiteral("scan_dialog"));
    scan.Use();
    QCOMPARE(d.window().Text("Edit1"), std::string("77"));
    QCOMPARE(d.window().Text("ComboBox2"), std::string("19200"));
    QCOMPARE(d.window().ItemIndex("ComboBox4"), 2);  // "Нет"
  }

  void ScanStopsWhenAsked() {
    SimMeter sim({"--address", "200"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    ScanDialogForm scan(&rig.form2(), rig.form2().window(), ScanTarget{false, sim.SerialPath(), {}, 0, 9600});
    scan.show();
    QTimer::singleShot(300, &scan, [&] { QTest::mouseClick(rig.Child<QPushButton>(scan, "Stop_Button"), Qt::LeftButton); });
    QElapsedTimer timer;
    timer.start();
    scan.Start();
    QVERIFY(scan.result().stopped);
    QVERIFY2(timer.elapsed() < 2000, std::to_string(timer.elapsed()).c_str());
    QVERIFY(rig.Child<QPushButton>(scan, "Start_Button")->isEnabled());
  }

  // Saved, changed in the meter, compared, written back and compared again.
  void ConfigFileButtonsRoundTrip() {
    SimMeter sim({"--no-serial", "--tcp", "0"});
    GuiRig rig;
    rig.ConnectAndRead(sim);
    QVERIFY(rig.Enabled("BackupConf_Button"));
    const QString path = QString::fromStdString((rig.dir.path / "copy.txt").string());
    QVERIFY(rig.main().configFiles().BackupTo(path));
    QCOMPARE(rig.Panel(1), std::string("Конфигурация сохранена в файл: copy.txt"));
    rig.main().window().SetText("Edit6", "123,5");
    rig.Click("WriteConf_Button");
    QCOMPARE(rig.Panel(1), std::string("Запись выполнена"));
    QVERIFY(rig.main().configFiles().CompareWith({path}));
    QTableWidget* table = rig.Child<QTableWidget>(*rig.main().configFiles().diffDialog(), "Diff_TableWidget");
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("123.5"));
    GuiRig::SaveScreen(*rig.main().configFiles().diffDialog(), QStringLiteral("config_diff"));
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_config_files"));
    QCOMPARE(rig.main().configFiles().RestoreFrom(path, false), RestoreOutcome::Written);
    QCOMPARE(rig.main().window().Text("Edit6"), std::string("100"));
    QVERIFY(rig.main().configFiles().CompareWith({path}));
    QCOMPARE(rig.Child<QTableWidget>(*rig.main().configFiles().diffDialog(), "Diff_TableWidget")->rowCount(), 0);
    QVERIFY(rig.messages.isEmpty());
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::FieldWindowTest)
#include "field_window_test.moc"
