// The modem dialog TForm3 through the real window, against kamt-sim's Hayes modem: the dial,
// the states it leads to, the hang-up, "Отмена" while the modem is silent, tel_numbers.ini.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "gui_rig.h"
#include "text/text_file.h"
#include "ui/message_box.h"
#include "ui/modem_dialog_form.h"

namespace kamt::test {

class ModemDialogTest : public QObject {
  Q_OBJECT

 private:
  // "Установить соединение" with the serial device and the modem option, then, once the modem
  // dialog is up, drive(form3) as the user would.
  static bool ConnectThroughModem(GuiRig& rig, const std::string& device,
                                  const std::function<void(ModemDialogForm&)>& drive) {
    return rig.ConnectWith([&](ConnectionDialogForm& d) {
      d.window().SetText("ComboBox1", device);
      d.window().SetItemIndex("ComboBox3", 3);
      d.window().SetItemIndex("ModemConnect_CheckBox", 1);
      ModemDialogForm& form3 = rig.main().modemDialog();
      QTimer::singleShot(0, &form3, [&form3, &drive] {
        if (form3.isVisible()) drive(form3);
      });
    });
  }
  static QPushButton* Button(QWidget& form, const char* name) { return form.findChild<QPushButton*>(name); }
  static void Click(QWidget& form, const char* name) { QTest::mouseClick(Button(form, name), Qt::LeftButton); }
  static void Dial(ModemDialogForm& form3, const std::string& number) {
    form3.window().SetText("TelNum_ComboBox", number);
    Click(form3, "Connect_Button");
  }
  static std::string Status(ModemDialogForm& form3) { return form3.window().StatusText(0); }
  // Dials 12345 and, once the dialog says it waits for the modem, does act.
  static void DialAndWhileWaiting(ModemDialogForm& form3, const std::function<void()>& act) {
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &form3, [&] {
      if (Status(form3) != "Ожидание ответа от модема...") return;
      watch.stop();
      act();
    });
    watch.start(20);
    Dial(form3, "12345");
  }
  static std::string Memo(ModemDialogForm& form3) { return form3.window().Text("Memo1"); }
  static std::string PhoneList(GuiRig& rig) { return ReadFileBytes(rig.dir.path / "tel_numbers.ini").value_or("<none>"); }

 private slots:
  void DialReadAndHangUp() {
    SimMeter sim({"--modem", "--modem-echo", "off", "--serial-number", "909"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    const std::string device = sim.SerialPath();
    std::string memo;
    QVERIFY(ConnectThroughModem(rig, device, [&](ModemDialogForm& form3) {
      Dial(form3, "5551234");
      memo = Memo(form3);
    }));
    ModemDialogForm& form3 = rig.main().modemDialog();
    QVERIFY(!form3.isVisible());  // closed with OK on CONNECT
    QCOMPARE(memo, std::string(">>ATD5551234\n<<\nCONNECT 9600"));
    QCOMPARE(rig.Panel(0), device + ":9600:8:None:1 Соед: 5551234");
    QVERIFY(rig.Action("Disconnect")->isVisible());
    rig.Click("Button1");  // through the modem, now online
    QCOMPARE(rig.main().window().Text("Label6"), std::string("Зав. номер: 909"));

    rig.Action("Disconnect")->trigger();
    QCOMPARE(rig.Panel(1), std::string("Соединение разорвано"));
    QVERIFY(!rig.main().session().link.port.IsOpen());
    QVERIFY(rig.messages.isEmpty());
    // Every close of the dialog writes the list, empty or not.
    QVERIFY(std::filesystem::exists(rig.dir.path / "tel_numbers.ini"));
  }

  // A busy number leaves the dialog open with its transcript; closing it shows the failed dial
  // in the main window. The list of an earlier run, whatever its line ends, is offered at
  // start-up; "Удалить" and "Добавить" change it and the close writes it.
  void BusyNumberAndTheList() {
    SimMeter sim({"--modem", "--busy", "100"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    std::ofstream(rig.dir.path / "tel_numbers.ini", std::ios::binary) << "111\r\n222\n333\r";
    rig.Restart(rig.SettingsPath());
    auto* box = rig.main().modemDialog().findChild<QComboBox*>("TelNum_ComboBox");
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(2), QStringLiteral("333"));
    QCOMPARE(box->currentText(), QString());
    // "Удалить" acts on a chosen entry only, never on a number typed over the list.
    box->lineEdit()->setText(QStringLiteral("222"));
    Click(rig.main().modemDialog(), "Delete_Button");
    QCOMPARE(box->count(), 3);
    box->setCurrentIndex(1);
    Click(rig.main().modemDialog(), "Delete_Button");
    const std::string device = sim.SerialPath();
    std::string status;
    std::string memo;
    bool stayedOpen = false;
    QVERIFY(ConnectThroughModem(rig, device, [&](ModemDialogForm& form3) {
      form3.window().SetText("TelNum_ComboBox", "100");
      Click(form3, "Add_Button");
      Dial(form3, "100");
      status = Status(form3);
      memo = Memo(form3);
      stayedOpen = form3.isVisible();
      GuiRig::SaveScreen(form3, QStringLiteral("modem_dialog_busy"));
      form3.reject();  // the close box
    }));
    QVERIFY(stayedOpen);
    QCOMPARE(status, std::string("Соединение не установлено"));
    QCOMPARE(memo, std::string(">>ATD100\n<<ATD100\nBUSY"));
    QCOMPARE(rig.Panel(0), device + ":9600:8:None:1 Нет соед:100");
    QVERIFY(!rig.Action("Disconnect")->isVisible());
    for (const char* b : {"Button1", "Button5"}) QVERIFY2(!rig.Enabled(b), b);
    QVERIFY(rig.main().session().link.port.IsOpen());  // the port stays open
    QCOMPARE(PhoneList(rig), std::string("111\r\n333\r\n100\r\n"));
  }

  // "Отмена" while the modem never answers: the dial ends, the dialog stays open and can dial
  // again; "Установить соединение" is grey only while the dial waits. The window closed while
  // the next dial waits: the dial ends, the dialogs close, then the window.
  void CancelOrCloseWhileTheModemIsSilent() {
    SimMeter sim({"--modem", "--modem-silent"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    bool greyWhileWaiting = false;
    bool enabledAfter = false;
    std::string status;
    std::string memo;
    QVERIFY(ConnectThroughModem(rig, sim.SerialPath(), [&](ModemDialogForm& form3) {
      DialAndWhileWaiting(form3, [&] {
        greyWhileWaiting = !Button(form3, "Connect_Button")->isEnabled();
        GuiRig::SaveScreen(form3, QStringLiteral("modem_dialog_waiting"));
        Click(form3, "Button1");
      });
      enabledAfter = Button(form3, "Connect_Button")->isEnabled();
      status = Status(form3);
      memo = Memo(form3);
      DialAndWhileWaiting(form3, [&] { rig.main().close(); });
      if (form3.isVisible()) form3.reject();  // the dial did not even start
    }));
    QVERIFY(greyWhileWaiting);
    QVERIFY(enabledAfter);
    QCOMPARE(status, std::string("Прервано пользователем"));
    QCOMPARE(memo, std::string(">>ATD12345"));  // no answer line
    QTRY_VERIFY(!rig.main().isVisible());
    QVERIFY(!rig.main().modemDialog().isVisible());
    QVERIFY(!rig.main().session().link.port.IsOpen());
    QVERIFY(rig.messages.isEmpty());
    QVERIFY(rig.Panel(0).ends_with(" Нет соед:12345"));
  }

  // The dialog's own boxes carry the title "Ошибка!" and an icon, not the program's title.
  void PortNotOpenIsAnErrorBoxOfItsOwn() {
    GuiRig rig;
    QStringList boxes;
    SetTitledMessageBoxFunction([&](QWidget*, const QString& title, const QString& text, MessageIcon icon) {
      boxes << title + "|" + text + "|" + QString::number(static_cast<int>(icon));
    });
    QVERIFY(ConnectThroughModem(rig, (rig.dir.path / "no-such-device").string(), [](ModemDialogForm& form3) {
      Dial(form3, "12345");
      form3.reject();
    }));
    QCOMPARE(boxes, QStringList{"Ошибка!|Порт не открыт!|" + QString::number(static_cast<int>(MessageIcon::Error))});
    QVERIFY(rig.Panel(0).starts_with("Порт не открыт"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::ModemDialogTest)
#include "modem_dialog_test.moc"
