// The meter's commands through the real window against kamt-sim over TCP: an archive read
// with its progress, its abort and "Показать", the configuration with its report, the clock
// and the communication parameters.
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "gui_rig.h"
#include "ui/archive_viewer.h"
#include "ui/archive_viewer_chart.h"

namespace kamt::test {

class CommandsTest : public QObject {
  Q_OBJECT

 private slots:
  // After a read that saved its file, "Показать" opens it; a read that saved none takes it away.
  void ArchiveReadIsShown() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "321", "--hour-records", "40"});
    GuiRig rig;
    rig.ConnectAndRead(sim);
    auto* show = rig.Child<QPushButton>(rig.main(), "ShowArchive_Button");
    QVERIFY(show && !show->isVisible());
    rig.main().window().SetText("HourNum_Edit", "10");
    rig.Click("Button2");
    QCOMPARE(rig.Panel(1), std::string("Данные сохранены в файл: KAMTarchH321.txt"));
    QVERIFY(show->isVisible());
    QTest::mouseClick(show, Qt::LeftButton);
    const QList<ArchiveViewer*> viewers = rig.main().findChildren<ArchiveViewer*>();
    QCOMPARE(viewers.size(), 1);
    QCOMPARE(viewers.first()->findChild<QTableView*>("Rows_Table")->model()->rowCount(), 10);
    QCOMPARE(viewers.first()->chart().PointCount(), 10);
    QVERIFY(rig.messages.isEmpty());
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_show_archive"));
    rig.main().window().SetText("HourNum_Edit", "0");  // one record: no file
    rig.Click("Button2");
    QVERIFY(!show->isVisible());
  }

  // While a read runs only its own group's abort stays live; the abort keeps what was read
  // and gives the window back.
  void AbortStopsTheReadAndKeepsWhatWasRead() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "7", "--hour-records", "200", "--fault",
                  "delay:100"});
    GuiRig rig;
    rig.ConnectAndRead(sim);
    auto* progress = rig.Child<QProgressBar>(rig.main(), "Archive_ProgressBar");
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
    const std::size_t lines = GuiRig::FileLineCount(rig.dir.path / "KAMTarchH7.txt");
    QVERIFY(lines >= 3 + 2);
    QVERIFY(lines < 3 + 199);
    QVERIFY(!progress->isVisible());
    for (const char* group : {"GroupBox1", "GroupBox3", "GroupBox7", "Button2"}) QVERIFY2(rig.Enabled(group), group);
  }

  void ConfigurationClockAndCommunicationGroups() {
    SimMeter sim({"--no-serial", "--tcp", "0", "--serial-number", "4455"});
    GuiRig rig;
    rig.ConnectAndRead(sim);
    Window& w = rig.main().window();
    QVERIFY(!rig.Enabled("Button11"));
    rig.Click("ReadConf_Button");
    QCOMPARE(w.Text("Edit4"), std::string("4455"));
    rig.Click("Button11");
    QCOMPARE(rig.Panel(1), std::string("Конфигурация записана в файл: KAMT_Conf4455.txt"));
    QVERIFY(std::filesystem::exists(rig.dir.path / "KAMT_Conf4455.txt"));

    rig.Click("ReadTime_Button");
    QCOMPARE(rig.Panel(1), std::string("Данные считаны"));
    QVERIFY(!w.Text("ClockDiff_Label").empty());
    w.SetText("Year_Edit", "1999");
    rig.Click("PcTime_Button");
    QVERIFY(w.Text("Year_Edit") != "1999");

    rig.Click("Button5");
    QCOMPARE(rig.Panel(1), std::string("Параметры коммуникации считаны"));
    QVERIFY(!w.Text("Edit1").empty());
    QVERIFY(rig.messages.isEmpty());
    GuiRig::SaveScreen(rig.main(), QStringLiteral("main_window_all_groups"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::CommandsTest)
#include "commands_test.moc"
