// The modem dialog through the real window, against kamt-sim's Hayes modem: the dial, the
// states it leads to, the hang-up, "Отмена" while the modem is silent, tel_numbers.ini.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "gui_rig.h"
#include "text/text_file.h"
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
  static void Click(QWidget& form, const char* name) { QTest::mouseClick(form.findChild<QPushButton*>(name), Qt::LeftButton); }
  static void Dial(ModemDialogForm& form3, const std::string& number) {
    form3.window().SetText("TelNum_ComboBox", number);
    Click(form3, "Connect_Button");
  }
  // Dials 12345 and, once the dialog says it waits for the modem, does act.
  static void DialAndWhileWaiting(ModemDialogForm& form3, const std::function<void()>& act) {
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &form3, [&] {
      if (form3.window().StatusText(0) != "Ожидание ответа от модема...") return;
      watch.stop();
      act();
    });
    watch.start(20);
    Dial(form3, "12345");
  }

 private slots:
  // The dialog closes on CONNECT; the main window reads through the modem and hangs it up.
  void DialReadAndHangUp() {
    SimMeter sim({"--modem", "--modem-echo", "off", "--serial-number", "909"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    std::string memo;
    QVERIFY(ConnectThroughModem(rig, sim.SerialPath(), [&](ModemDialogForm& form3) {
      Dial(form3, "5551234");
      memo = form3.window().Text("Memo1");
    }));
    QVERIFY(!rig.main().modemDialog().isVisible());
    QCOMPARE(memo, std::string(">>ATD5551234\n<<\nCONNECT 9600"));
    QCOMPARE(rig.Panel(0), sim.SerialPath() + ":9600:8:None:1 Соед: 5551234");
    rig.Click("Button1");
    QCOMPARE(rig.main().window().Text("Label6"), std::string("Зав. номер: 909"));
    rig.Action("Disconnect")->trigger();
    QCOMPARE(rig.Panel(1), std::string("Соединение разорвано"));
    QVERIFY(!rig.main().session().link.port.IsOpen() && rig.messages.isEmpty());
  }

  // A busy number leaves the dialog open; closing it shows the failed dial in the main window,
  // the port still open. The list of an earlier run is offered; "Удалить" acts on a chosen entry
  // only, never on a number typed over the list; the close writes the list.
  void BusyNumberAndTheList() {
    SimMeter sim({"--modem", "--busy", "100"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    std::ofstream(rig.dir.path / "tel_numbers.ini", std::ios::binary) << "111\r\n222\n333\r";
    rig.Restart(rig.SettingsPath());
    ModemDialogForm& form3 = rig.main().modemDialog();
    auto* box = form3.findChild<QComboBox*>("TelNum_ComboBox");
    QCOMPARE(std::tuple(box->count(), box->currentText()), std::tuple(3, QString()));
    box->lineEdit()->setText(QStringLiteral("222"));
    Click(form3, "Delete_Button");
    box->setCurrentIndex(1);
    Click(form3, "Delete_Button");
    bool stayedOpen = false;
    QVERIFY(ConnectThroughModem(rig, sim.SerialPath(), [&](ModemDialogForm& f) {
      Dial(f, "100");
      stayedOpen = f.isVisible();
      GuiRig::SaveScreen(f, QStringLiteral("modem_dialog_busy"));
      f.reject();
    }));
    QVERIFY(stayedOpen);
    QCOMPARE(form3.window().StatusText(0), std::string("Соединение не установлено"));
    QCOMPARE(rig.Panel(0), sim.SerialPath() + ":9600:8:None:1 Нет соед:100");
    QVERIFY(!rig.Action("Disconnect")->isVisible() && !rig.Enabled("Button1"));
    QVERIFY(rig.main().session().link.port.IsOpen());
    QCOMPARE(ReadFileBytes(rig.dir.path / "tel_numbers.ini"), std::string("111\r\n333\r\n"));
  }

  // "Отмена" while the modem never answers: the dial ends, "Установить соединение" is grey only
  // while it waited. The window closed while the next dial waits: the dial ends, the dialogs
  // close, then the window.
  void CancelOrCloseWhileTheModemIsSilent() {
    SimMeter sim({"--modem", "--modem-silent"});
    QVERIFY2(sim.Ready(), sim.Failure().c_str());
    GuiRig rig;
    bool greyWhileWaiting = false, enabledAfter = false;
    std::string status, memo;
    QVERIFY(ConnectThroughModem(rig, sim.SerialPath(), [&](ModemDialogForm& form3) {
      DialAndWhileWaiting(form3, [&] {
        greyWhileWaiting = !form3.findChild<QPushButton*>("Connect_Button")->isEnabled();
        GuiRig::SaveScreen(form3, QStringLiteral("modem_dialog_waiting"));
        Click(form3, "Button1");
      });
      enabledAfter = form3.findChild<QPushButton*>("Connect_Button")->isEnabled();
      std::tie(status, memo) = std::tuple(form3.window().StatusText(0), form3.window().Text("Memo1"));
      DialAndWhileWaiting(form3, [&] { rig.main().close(); });
      if (form3.isVisible()) form3.reject();
    }));
    QVERIFY(greyWhileWaiting && enabledAfter);
    QCOMPARE(std::tuple(status, memo), std::tuple("Прервано пользователем", ">>ATD12345"));
    QTRY_VERIFY(!rig.main().isVisible());
    QVERIFY(!rig.main().modemDialog().isVisible() && !rig.main().session().link.port.IsOpen());
    QVERIFY(rig.messages.isEmpty() && rig.Panel(0).ends_with(" Нет соед:12345"));
  }
};

}  // namespace kamt::test

QTEST_MAIN(kamt::test::ModemDialogTest)
#include "modem_dialog_test.moc"
