// The window program as a user first meets it: the forms and their initial state, the About
// box, the connection dialog's defaults and input errors, and the close.
#include <QComboBox>
#include <QFile>
#include <QXmlStreamReader>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "gui_rig.h"
#include "meter/combo_items.h"
#include "setup/form_controls.h"
#include "ui/modem_dialog_form.h"
#include "text/text_file.h"
#include "ui/about_box.h"

namespace kamt::test {

class StartupTest : public QObject {
  Q_OBJECT

 private:
  static void ExpectTexts(QtWindow& w, std::initializer_list<std::pair<const char*, const char*>> texts) {
    for (const auto& [name, text] : texts) QVERIFY2(w.Text(name) == text, (name + (": " + w.Text(name))).c_str());
  }
  static QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

 private slots:
  void MainWindowAtStartUp() {
    GuiRig rig;
    MainWindow& w = rig.main();
    QCOMPARE(w.windowTitle(), QStringLiteral("ModBus v2.2"));
    QCOMPARE(w.size(), QSize(808, 686));
    QCOMPARE(rig.Panel(0), std::string("Порт не открыт"));
    QCOMPARE(rig.Child<QLabel>(w, "StatusBar1_Panel1")->width(), 300);
    QVERIFY(rig.messages.isEmpty());
    GuiRig::SaveScreen(w, QStringLiteral("main_window"));

    QStringList top;
    for (QAction* a : rig.Child<QMenuBar>(w, "MainMenu1")->actions()) top << a->text();
    QCOMPARE(top, (QStringList{"Файл", "Установить соединение", "Разорвать соединение", "Вид", "Помощь"}));
    QVERIFY(!rig.Action("Disconnect")->isVisible());
    QVERIFY(!rig.Action("Connect")->menu());  // a command of the bar itself
    const QList<QAction*> file = rig.Child<QMenu>(w, "File1")->actions();
    QCOMPARE(file.size(), 3);
    QCOMPARE(file.at(2)->text(), QStringLiteral("Выход"));
    QCOMPARE(rig.Child<QGroupBox>(w, "GroupBox9")->geometry(), QRect(480, 0, 297, 521));
    QCOMPARE(rig.Child<QGroupBox>(w, "GroupBox4")->parent(), rig.Child<QGroupBox>(w, "GroupBox3"));

    // Spot checks of the form's texts; the commands stay grey until a connection is up.
    QtWindow& qw = w.window();
    ExpectTexts(qw, {{"Label2", "Счетчик '+'"}, {"HourNum_Edit", "0"}, {"Button2", "Считать часовой"},
                     {"Hour_Edit", "00"}, {"DayOfWeek_ComboBox", "Понедельник"}, {"Year_Edit", "2000"},
                     {"ComboBox14", " "}, {"Button11", "Сохранить в файл"}});
    for (const char* b : {"Button1", "Button5", "ReadTime_Button", "WriteConf_Button", "Button11"}) {
      QVERIFY2(!qw.Enabled(b), b);
    }
    QVERIFY(qw.Enabled("Button7"));
  }

  // The window's lists are those the command line and the services work with.
  void ComboBoxListsAndNoSelection() {
    GuiRig rig;
    QtWindow& w = rig.main().window();
    for (const ComboList& list : MainWindowComboLists()) {
      auto* box = rig.main().findChild<QComboBox*>(Q(list.control));
      QVERIFY2(box, qPrintable(Q(list.control)));
      QStringList items, expected;
      for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
      for (std::string_view item : list.items) expected << Q(item);
      QCOMPARE(items, expected);
      QCOMPARE(w.ItemIndex(list.control), -1);
    }
    // Choosing an item replaces the shown text; clearing the choice leaves the box empty.
    w.SetItemIndex("DayOfWeek_ComboBox", 2);
    QCOMPARE(w.Text("DayOfWeek_ComboBox"), std::string("Вторник"));
    w.SetItemIndex("DayOfWeek_ComboBox", 9);
    QCOMPARE(w.ItemIndex("DayOfWeek_ComboBox"), -1);
    QCOMPARE(w.Text("DayOfWeek_ComboBox"), std::string());
  }

  // The logic's table of control names is the forms' own: a name in one and not the other
  // is a control the logic would miss, or one it could not find.
  void ControlTableIsTheForms() {
    GuiRig rig;
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
    QVERIFY(rig.Child<QLabel>(rig.main(), "StatusBar1_Panel2"));
    QVERIFY(rig.Child<QLabel>(rig.main().modemDialog(), "StatusBar1_Panel0"));
  }

  void AboutBox() {
    GuiRig rig;
    kamt::AboutBox& about = rig.main().aboutBox();
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
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
    QCOMPARE(d.windowTitle(), QStringLiteral("Параметры соединения"));
    QCOMPARE(d.size(), QSize(514, 336));
    QCOMPARE(w.Text("ComboBox4"), std::string("Нет"));
    QVERIFY(rig.Child<QGroupBox>(d, "GroupBox3")->isHidden());
    QTimer::singleShot(0, &d, [&] {
      GuiRig::SaveScreen(d, QStringLiteral("connection_dialog_serial"));
      // On its circle: a radio button takes clicks on its circle and its text only.
      QTest::mouseClick(rig.Child<QRadioButton>(d, "RadioGroup1_Ethernet"), Qt::LeftButton, {}, QPoint(8, 9));
      QVERIFY(rig.Child<QGroupBox>(d, "GroupBox1")->isHidden());
      QVERIFY(!rig.Child<QGroupBox>(d, "GroupBox3")->isHidden());
      GuiRig::SaveScreen(d, QStringLiteral("connection_dialog_ethernet"));
      QTest::mouseClick(rig.Child<QPushButton>(d, "Button2"), Qt::LeftButton);
    });
    rig.Action("Connect")->trigger();
    // Cancel stored nothing; the next showing puts the stored interface back.
    QCOMPARE(rig.main().session().link.LinkSettings.Type, 0);
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
    const std::string notOpen = "Порт не открыт: /nonexistent/ttyKAMT: нет такого устройства";
    QVERIFY(rig.Panel(0).starts_with(notOpen));
    QVERIFY(!rig.ConnectWith([](ConnectionDialogForm& d) {
      d.window().SetItemIndex("RadioGroup1", 1);
      d.window().SetText("Edit2", "192.168.0.256");
    }));
    QCOMPARE(rig.messages, QStringList{"Ошибка ввода IP-адреса!"});
    QVERIFY(rig.Panel(0).starts_with(notOpen));
  }

  // What a user types into an editable box is never taken for an item of its list: Enter adds
  // nothing to the list, and a typed name stays a typed name (position -1) even when it spells
  // an item, so the next start cannot preselect another port.
  void TypedTextIsNeverAChoice() {
    GuiRig rig({}, {"/dev/ttyKAMT0", "/dev/ttyKAMT1", "/dev/ttyKAMT2"});
    auto type = [](QComboBox* box, const QString& text) {
      box->setCurrentIndex(-1);
      box->lineEdit()->clear();
      QTest::keyClicks(box->lineEdit(), text);
      QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    };
    for (const char* name : {"/dev/ttyKAMT9", "/dev/ttyKAMT1"}) {
      QVERIFY(rig.ConnectWith([&](ConnectionDialogForm& d) {
        type(rig.Child<QComboBox>(d, "ComboBox1"), QString::fromUtf8(name));
        type(rig.Child<QComboBox>(d, "ComboBox2"), QStringLiteral("57600"));
      }));
      QCOMPARE(rig.main().session().link.LinkSettings.PortIndex, -1);
      QCOMPARE(rig.Child<QComboBox>(rig.form2(), "ComboBox1")->count(), 3);
      QCOMPARE(rig.Child<QComboBox>(rig.form2(), "ComboBox2")->count(), 6);
    }
    rig.main().close();
    QVERIFY(ReadFileBytes(rig.SettingsPath()).value_or("").find("[Serial]\r\nPort=-1\r\n") != std::string::npos);
  }

  // The close saves the settings; a file that cannot be written is reported once, and the
  // program can always be quit.
  void CloseSavesAndASecondCloseClosesDespiteAFailure() {
    GuiRig rig;
    rig.Action("Exit1")->trigger();
    QVERIFY(!rig.main().isVisible());
    QCOMPARE(ReadFileBytes(rig.SettingsPath()).value_or("<none>"),
             std::string("[Communication]\r\nType=0\r\nNetAddr=1\r\n[Ethernet]\r\nIP_Addr=192.168.0.1\r\nPort=502\r\n"
                         "[Serial]\r\nPort=0\r\nBaudrate=9600\r\nBits=4\r\nParity=2\r\nStopBits=0\r\nDelay=100\r\n"
                         "Modem=0\r\n"));
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
