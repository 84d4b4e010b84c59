#include "gui_rig.h"

#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "text/text_file.h"
#include "ui/message_box.h"

namespace kamt::test {

GuiRig::GuiRig(const std::string& iniText, std::vector<std::string> ports) {
  ports_.names = std::move(ports);
  if (!iniText.empty()) std::ofstream(SettingsPath(), std::ios::binary) << iniText;
  SetMessageBoxFunction([this](QWidget*, const QString& text) { messages << text; });
  Restart(SettingsPath());
}

GuiRig::~GuiRig() {
  window_.reset();
  SetMessageBoxFunction({});
}

void GuiRig::Restart(const std::filesystem::path& settingsPath) {
  window_.reset();
  window_ = std::make_unique<MainWindow>(devices_, ports_, MainWindowOptions{settingsPath, dir.path, ","});
  window_->show();
}

bool GuiRig::ConnectWith(const std::function<void(ConnectionDialogForm&)>& fill) {
  bool stayedOpen = false;
  QTimer::singleShot(0, &main(), [&] {
    ConnectionDialogForm& dialog = form2();
    fill(dialog);
    QTest::mouseClick(Child<QPushButton>(dialog, "Button1"), Qt::LeftButton);
    if (dialog.isVisible()) {
      stayedOpen = true;
      dialog.reject();
    }
  });
  Action("Connect")->trigger();
  return !stayedOpen;
}

bool GuiRig::ConnectTcp(int port, bool waitUp) {
  const bool applied = ConnectWith([port](ConnectionDialogForm& d) {
    d.window().SetItemIndex("RadioGroup1", 1);
    d.window().SetText("Edit2", "127.0.0.1");
    d.window().SetText("Edit3", std::to_string(port));
  });
  return applied && (!waitUp || QTest::qWaitFor([this] { return Action("Disconnect")->isVisible(); }, 5000));
}

bool GuiRig::ConnectSerial(const std::string& device) {
  return ConnectWith([&device](ConnectionDialogForm& d) {
    d.window().SetItemIndex("RadioGroup1", 0);
    d.window().SetText("ComboBox1", device);
  });
}

void GuiRig::ConnectAndRead(const SimMeter& sim) {
  QVERIFY2(sim.Ready(), sim.Failure().c_str());
  QVERIFY(ConnectTcp(sim.TcpPort()));
  Click("Button1");
  QCOMPARE(Panel(1), std::string("Данные считаны"));
}

void GuiRig::Click(const char* button) { QTest::mouseClick(Child<QPushButton>(main(), button), Qt::LeftButton); }

void GuiRig::WhenReady(std::function<bool()> ready, std::function<void()> act) {
  poll_ = std::make_unique<QTimer>();
  QObject::connect(poll_.get(), &QTimer::timeout, &main(), [this, ready = std::move(ready), act = std::move(act)] {
    if (!ready()) return;
    poll_->stop();
    act();
  });
  poll_->start(20);
}

std::size_t GuiRig::FileLineCount(const std::filesystem::path& path) {
  const std::string text = ReadFileBytes(path).value_or("");
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

void GuiRig::SaveScreen(QWidget& widget, const QString& name) {
  QDir().mkpath(QStringLiteral(KAMT_GUI_SCREENS));
  widget.grab().save(QStringLiteral(KAMT_GUI_SCREENS "/") + name + QStringLiteral(".png"));
}

}  // namespace kamt::test
