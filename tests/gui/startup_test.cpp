// The window program as a user first meets it: the forms, their controls and initial state,
// the About box, the connection dialog's defaults and input errors, and the close.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "gui_rig.h"
#include "meter/combo_items.h"
#include "platform/text_file.h"
#include "ui/about_box.h"

namespace kamt::test {

class StartupTest : public QObject {
  Q_OBJECT

 private:
  static std::string ReadFile(const std::filesystem::path& path) { return ReadFileBytes(path).value_or("<none>"); }
  // Each control's text as the window shows it.
  static void ExpectTexts(QtWindow& w, std::initializer_list<std::pair<const char*, const char*>> texts) {
    for (const auto& [name, text] : texts) QVERIFY2(w.Text(name) == text, (name + (": " + w.Text(name))).c_str());
  }

 private slots:
  void MainWindowAtStartUp() {
    GuiRig rig;
    MainWindow& w = rig.main();
    QCOMPARE(w.windowTitle(), QStringLiteral("ModBus v2.2"));
    QCOMPARE(w.size(), QSize(808, 686));
    QCOMPARE(rig.Panel(0), std::string("Порт не открыт"));
    QCOMPARE(rig.Panel(1), std::string());
    QCOMPARE(rig.Child<QLabel>(w, "StatusBar1_Panel0")->width(), 250);
    QCOMPARE(rig.Child<QLabel>(w, "StatusBar1_Panel1")->width(), 300);
    QVERIFY(rig.Child<QLabel>(w, "StatusBar1_Panel2")->width() >= 50);
    QVERIFY(rig.messages.isEmpty());
    GuiRig::SaveScreen(w, QStringLiteral("main_window"));

    QStringList top;
    for (QAction* a : rig.Child<QMenuBar>(w, "MainMenu1")->actions()) top << a->text();
    QCOMPARE(top, (QStringList{"Файл", "Установить соединение", "Разорвать соединение", "Вид", "Помощь"}));
    QVERIFY(rig.Action("Connect")->isVisible());
    QVERIFY(!rig.Action("Disconnect")->isVisible());
    QVERIFY(!rig.Action("Connect")->menu());  // a command of the bar itself
    // "Выход" ends "Файл"; the archive viewer's "Открыть архив..." comes before it.
    const QList<QAction*> file = rig.Child<QMenu>(w, "File1")->actions();
    QCOMPARE(file.size(), 3);
    QCOMPARE(file.at(0), rig.Action("OpenArchive"));
    QVERIFY(file.at(1)->isSeparator());
    QCOMPARE(file.at(2), rig.Action("Exit1"));
    QCOMPARE(rig.Child<QMenu>(w, "N2")->actions(), QList<QAction*>{rig.Action("N3")});
    QCOMPARE(rig.Action("Exit1")->text(), QStringLiteral("Выход"));
    QCOMPARE(rig.Action("N3")->text(), QStringLiteral("О программе"));

    const struct {
      const char* name;
      const char* title;
      QRect rect;
    } groups[] = {
        {"GroupBox1", "Данные", {8, 0, 297, 233}},
        {"GroupBox6", "Часовой архив", {312, 0, 161, 161}},
        {"GroupBox7", "Суточный архив", {312, 176, 161, 153}},
        {"GroupBox2", "Архив", {312, 344, 161, 145}},
        {"GroupBox3", "Параметры коммуникации", {8, 248, 297, 337}},
        {"GroupBox8", "Установка времени и даты", {312, 520, 465, 89}},
        {"GroupBox9", "Конфигурация", {480, 0, 297, 521}},
    };
    for (const auto& g : groups) {
      QGroupBox* box = rig.Child<QGroupBox>(w, g.name);
      QVERIFY2(box, g.name);
      QCOMPARE(box->title(), QString::fromUtf8(g.title));
      QCOMPARE(box->geometry(), g.rect);
      QVERIFY(box->isEnabled());
    }
    for (const char* inner : {"GroupBox4", "GroupBox5"}) {
      QCOMPARE(rig.Child<QGroupBox>(w, inner)->parent(), rig.Child<QGroupBox>(w, "GroupBox3"));
    }
  }

  void ControlsStartAsTheFormSetsThem() {
    GuiRig rig;
    QtWindow& w = rig.main().window();
    const struct {
      const char* name;
      const char* text;
      bool enabled;
    } controls[] = {
        {"Label6", "Зав. номер", true}, {"Label1", "Расход", true}, {"Label2", "Счетчик '+'", true},
        {"Label3", "Счетчик '-'", true}, {"Label4", "Время работы", true}, {"Label5", "Состояние", true},
        {"Label7", "Наработка", true}, {"CurTime_Label", "Текущее время", true}, {"Pressure_Label", "Давление", true},
        {"Button1", "Считать", false},
        {"HourNum_Label", "Всего записей:", true}, {"Label18", "Считать:", true}, {"HourNum_Edit", "0", true},
        {"Button2", "Считать часовой", false}, {"Button7", "Прервать чтение", true},
        {"DayNum_Label", "Всего записей:", true}, {"Label19", "Считать:", true}, {"DayNum_Edit", "0", true},
        {"Button3", "Считать суточный", false}, {"Button8", "Прервать чтение", true},
        {"MonthNum_Label", "Всего записей:", true}, {"Label20", "Считать:", true}, {"MonthNum_Edit", "0", true},
        {"Button4", "Считать месячный", false}, {"Button9", "Прервать чтение", true},
        {"Edit3", "", true}, {"Edit1", "", true}, {"Edit2", "", true},
        {"Button5", "Считать", false}, {"Button6", "Записать", false},
        {"Hour_Edit", "00", true}, {"Min_Edit", "00", true}, {"Sec_Edit", "00", true},
        {"DayOfWeek_ComboBox", "Понедельник", true}, {"Day_Edit", "1", true}, {"Month_Edit", "1", true},
        {"Year_Edit", "2000", true}, {"ReadTime_Button", "Считать", false}, {"WriteTime_Button", "Записать", false},
        {"PcTime_Button", "Время компьютера", false}, {"ClockDiff_Label", "", true},
        {"ComboBox14", " ", true}, {"ReadConf_Button", "Считать", false}, {"WriteConf_Button", "Записать", false},
        {"Button11", "Сохранить в файл", false},
    };
    for (const auto& c : controls) {
      QCOMPARE(QString::fromStdString(w.Text(c.name)), QString::fromUtf8(c.text));
      QVERIFY2(w.Enabled(c.name) == c.enabled, c.name);
    }
    for (int n = 4; n <= 12; ++n) QVERIFY(rig.Child<QLineEdit>(rig.main(), qPrintable(QStringLiteral("Edit%1").arg(n))));
    for (int n = 25; n <= 45; ++n) QVERIFY(rig.Child<QLabel>(rig.main(), qPrintable(QStringLiteral("Label%1").arg(n))));
    QCOMPARE(rig.Child<QGroupBox>(rig.main(), "GroupBox8"),
             rig.Child<QPushButton>(rig.main(), "PcTime_Button")->parentWidget());
  }

  // The window's lists are those the command line and the services work with.
  void ComboBoxListsAndNoSelection() {
    GuiRig rig;
    QtWindow& w = rig.main().window();
    for (const ComboList& list : MainWindowComboLists()) {
      const QString name = QString::fromUtf8(list.control.data(), static_cast<qsizetype>(list.control.size()));
      QComboBox* box = rig.main().findChild<QComboBox*>(name);
      QVERIFY2(box, qPrintable(name));
      QStringList items;
      for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
      QStringList expected;
      for (std::string_view item : list.items) expected << QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()));
      QCOMPARE(items, expected);
      QCOMPARE(w.ItemIndex(list.control), -1);
    }
    QCOMPARE(w.ItemCount("ComboBox11"), 19);
    QCOMPARE(w.ItemCount("ComboBox9"), 7);
    QCOMPARE(w.ItemCount("DayOfWeek_ComboBox"), 8);
    // Choosing an item replaces the shown text; clearing the choice leaves the box empty.
    w.SetItemIndex("DayOfWeek_ComboBox", 2);
    QCOMPARE(w.Text("DayOfWeek_ComboBox"), std::string("Вторник"));
    w.SetItemIndex("DayOfWeek_ComboBox", 9);
    QCOMPARE(w.ItemIndex("DayOfWeek_ComboBox"), -1);
    QCOMPARE(w.Text("DayOfWeek_ComboBox"), std::string());
  }

  void ProgressBarShowsOnlyWhileCounting() {
    GuiRig rig;
    auto* bar = rig.Child<QProgressBar>(rig.main(), "Archive_ProgressBar");
    QVERIFY(!bar->isVisible());
    rig.main().window().SetProgress(3, 10);
    // Progress repaints are throttled, so the bar may catch up a frame later.
    QTRY_VERIFY(bar->isVisible());
    QTRY_COMPARE(bar->maximum(), 10);
    QTRY_COMPARE(bar->value(), 3);
    rig.main().window().SetProgress(0, 0);
    QVERIFY(!bar->isVisible());
  }

  void AboutBox() {
    GuiRig rig;
    kamt::AboutBox& about = rig.main().aboutBox();
    QVERIFY(!about.isVisible());
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(about.size(), QSize(297, 209));
    QCOMPARE(rig.Child<QLabel>(about, "ProductName")->text(), QStringLiteral("ZavOra dorida"));
    QCOMPARE(rig.Child<QLabel>(about, "Version")->text(), QStringLiteral("Version 2.2"));
    QCOMPARE(rig.Child<QLabel>(about, "Comments")->text(),
             QStringLiteral("Эта программа позволяет считывать данные с приборов фирмы ВЕДАН"));
    QVERIFY(!rig.Child<QLabel>(about, "ProgramIcon")->pixmap().isNull());
    for (int showing = 0; showing < 2; ++showing) {
      bool shown = false;
      QTimer::singleShot(0, &about, [&] {
        shown = about.isVisible();
        GuiRig::SaveScreen(about, QStringLiteral("about_box"));
        QTest::mouseClick(rig.Child<QPushButton>(about, "OKButton"), Qt::LeftButton);
      });
      rig.Action("N3")->trigger();
      QVERIFY(shown);
      QVERIFY(!about.isVisible());
    }
  }

  void ConnectionDialogOnAFirstRun() {
    GuiRig rig;
    ConnectionDialogForm& d = rig.form2();
    QtWindow& w = d.window();
    QVERIFY(!d.isVisible());
    QCOMPARE(d.windowTitle(), QStringLiteral("Параметры соединения"));
    QCOMPARE(d.size(), QSize(514, 336));
    for (const auto& [name, rect] : {std::pair{"RadioGroup1", QRect(16, 8, 217, 65)}, {"GroupBox1", QRect(16, 80, 217, 177)},
                                     {"GroupBox3", QRect(16, 80, 217, 177)}, {"GroupBox2", QRect(248, 8, 241, 249)},
                                     {"Button1", QRect(96, 272, 75, 25)}, {"Button2", QRect(240, 272, 75, 25)}}) {
      QCOMPARE(rig.Child<QWidget>(d, name)->geometry(), rect);
    }
    QCOMPARE(w.ItemIndex("RadioGroup1"), 0);
    QCOMPARE(w.ItemIndex("ComboBox3"), -1);
    // The defaults are the logic's; here, the items they choose.
    ExpectTexts(w, {{"ComboBox1", ""}, {"ComboBox2", "9600"}, {"ComboBox4", "Нет"}, {"ComboBox5", "1"}, {"Edit4", "100"}});
    QCOMPARE(rig.Child<QLineEdit>(d, "Edit4")->maxLength(), 4);
    QCOMPARE(w.ItemIndex("ModemConnect_CheckBox"), 0);
    QVERIFY(!rig.Child<QGroupBox>(d, "GroupBox1")->isHidden());
    QVERIFY(rig.Child<QGroupBox>(d, "GroupBox3")->isHidden());
    // The interface choice shows its own group, by a click or set by the program.
    QTimer::singleShot(0, &d, [&] {
      GuiRig::SaveScreen(d, QStringLiteral("connection_dialog_serial"));
      // On its circle: a radio button takes clicks on its circle and its text only.
      QTest::mouseClick(rig.Child<QRadioButton>(d, "RadioGroup1_Ethernet"), Qt::LeftButton, {}, QPoint(8, 9));
      QVERIFY(rig.Child<QGroupBox>(d, "GroupBox1")->isHidden());
      QVERIFY(!rig.Child<QGroupBox>(d, "GroupBox3")->isHidden());
      QVERIFY(!rig.Child<QLineEdit>(d, "Edit4")->isEnabled());
      GuiRig::SaveScreen(d, QStringLiteral("connection_dialog_ethernet"));
      QTest::mouseClick(rig.Child<QPushButton>(d, "Button2"), Qt::LeftButton);
    });
    rig.Action("Connect")->trigger();
    QVERIFY(!d.isVisible());
    // Cancel stored nothing and the dialog keeps what the user chose; the next showing puts
    // the stored interface back.
    QCOMPARE(rig.main().session().link.LinkSettings.Type, 0);
    QCOMPARE(w.ItemIndex("RadioGroup1"), 1);
    int shownWith = -1;
    QTimer::singleShot(0, &d, [&] {
      shownWith = w.ItemIndex("RadioGroup1");
      d.reject();
    });
    rig.Action("Connect")->trigger();
    QCOMPARE(shownWith, 0);
    QVERIFY(!rig.Child<QGroupBox>(d, "GroupBox1")->isHidden());
  }

  void SettingsFileFillsTheDialog() {
    GuiRig rig("[Communication]\r\nType=1\r\nNetAddr=0x11\r\n[Serial]\r\nPort=1\r\nBaudrate=19200\r\nBits=2\r\n"
               "Parity=0\r\nStopBits=2\r\nDelay=abc\r\nModem=5\r\n[Ethernet]\r\nIP_Addr=10.0.0.7\r\nPort=1502\r\n",
               {"/dev/ttyS0", "/dev/ttyUSB0"});
    QtWindow& w = rig.form2().window();
    QCOMPARE(w.ItemIndex("RadioGroup1"), 1);
    QVERIFY(rig.Child<QGroupBox>(rig.form2(), "GroupBox1")->isHidden());
    ExpectTexts(w, {{"ComboBox1", "/dev/ttyUSB0"}, {"ComboBox2", "19200"}, {"ComboBox3", "7"}, {"ComboBox4", "Чет"},
                    {"ComboBox5", "2"}, {"Edit1", "17"}, {"Edit2", "10.0.0.7"}, {"Edit3", "1502"}});
    QCOMPARE(w.ItemIndex("ModemConnect_CheckBox"), 1);
  }

  void ApplyErrorsKeepTheDialogOpen() {
    GuiRig rig;
    QVERIFY(rig.ConnectWith([](ConnectionDialogForm& d) {
      d.window().SetText("ComboBox1", "/nonexistent/ttyKAMT");
      d.window().SetText("ComboBox2", "fast");
    }));
    // The port could not be opened, so the bit rate was not even read: the dialog closed.
    QCOMPARE(rig.messages, QStringList{});
    QVERIFY(rig.Panel(0).starts_with("Порт не открыт: /nonexistent/ttyKAMT: нет такого устройства"));
    QVERIFY(rig.Action("Connect")->isVisible());
    QVERIFY(!rig.ConnectWith([](ConnectionDialogForm& d) {
      d.window().SetItemIndex("RadioGroup1", 1);
      d.window().SetText("Edit2", "192.168.0.256");
      d.window().SetText("Edit3", "502");
    }));
    QCOMPARE(rig.messages, QStringList{"Ошибка ввода IP-адреса!"});
    QCOMPARE(rig.Panel(0), std::string("Порт не открыт: /nonexistent/ttyKAMT: нет такого устройства"));
  }

  void SettingsAreSavedOnClose() {
    GuiRig rig;
    QVERIFY(!std::filesystem::exists(rig.SettingsPath()));
    rig.Action("Exit1")->trigger();
    QVERIFY(!rig.main().isVisible());
    QCOMPARE(ReadFile(rig.SettingsPath()),
             std::string("[Communication]\r\nType=0\r\nNetAddr=1\r\n[Ethernet]\r\nIP_Addr=192.168.0.1\r\nPort=502\r\n"
                         "[Serial]\r\nPort=0\r\nBaudrate=9600\r\nBits=4\r\nParity=2\r\nStopBits=0\r\nDelay=100\r\n"
                         "Modem=0\r\n"));
  }

  // The program can always be quit: a settings file that cannot be written is reported once.
  void ASecondCloseClosesDespiteAFailedSave() {
    GuiRig rig;
    const auto path = rig.dir.path / "no-such-folder" / "Vedan_modbus.ini";
    rig.Restart(path);
    rig.main().close();
    QVERIFY(rig.main().isVisible());
    QCOMPARE(rig.messages, QStringList{QString::fromStdString("Unable to write to " + path.string())});
    rig.main().close();
    QVERIFY(!rig.main().isVisible());
    QCOMPARE(rig.messages.size(), 1);
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::StartupTest)
#include "startup_test.moc"
