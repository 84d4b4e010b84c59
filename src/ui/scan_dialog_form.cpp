#include "ui/scan_dialog_form.h"

#include "setup/connection_dialog.h"
#include "setup/port_open_failure.h"
#include "setup/window.h"

namespace kamt {
namespace {

// How long a converter may take to accept the connection.
constexpr int kConnectLimitMs = 10000;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString TimeLeft(long long ms) {
  const long long s = (std::max(ms, 0LL) + 999) / 1000;
  return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

// The connection dialog's parity list: "Чет", "Нечет", "Нет".
int ParityPosition(Parity parity) {
  switch (parity) {
    case Parity::Even: return 0;
    case Parity::Odd: return 1;
    case Parity::Mark: return 3;
    case Parity::Space: return 4;
    case Parity::None: break;
  }
  return 2;
}

}  // namespace

ScanDialogForm::ScanDialogForm(QWidget* parent, Window& connectionForm, ScanTarget target)
    : QDialog(parent), connectionForm_(connectionForm), target_(std::move(target)) {
  ui_.setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  ui_.Target_Label->setText(target_.converter ? QStringLiteral("Преобразователь %1:%2 (скорость и четность "
                                                               "задаются в нем)")
                                                    .arg(Q(target_.host))
                                                    .arg(target_.port)
                                              : QStringLiteral("Порт %1").arg(Q(target_.device)));
  for (QCheckBox* box : ui_.Range_GroupBox->findChildren<QCheckBox*>()) box->setEnabled(!target_.converter);
  connect(ui_.Start_Button, &QPushButton::clicked, this, &ScanDialogForm::Start);
  connect(ui_.Stop_Button, &QPushButton::clicked, this, [this] { stop_ = true; });
  connect(ui_.Use_Button, &QPushButton::clicked, this, &ScanDialogForm::Use);
  connect(ui_.Close_Button, &QPushButton::clicked, this, &ScanDialogForm::reject);
  connect(ui_.Found_ListWidget, &QListWidget::currentRowChanged, this,
          [this](int row) { ui_.Use_Button->setEnabled(!running_ && row >= 0); });
  connect(ui_.Found_ListWidget, &QListWidget::itemDoubleClicked, this, &ScanDialogForm::Use);
}

ScanPlan ScanDialogForm::Plan() const {
  ScanPlan plan;
  plan.firstAddress = ui_.FirstAddress_SpinBox->value();
  plan.lastAddress = ui_.LastAddress_SpinBox->value();
  plan.windowMs = ui_.Window_SpinBox->value();
  plan.baudrates.clear();
  for (const int baud : {1200, 2400, 4800, 9600, 19200, 38400}) {
    if (findChild<QCheckBox*>(QStringLiteral("Baud%1_CheckBox").arg(baud))->isChecked()) plan.baudrates.push_back(baud);
  }
  plan.parities.clear();
  if (ui_.ParityNone_CheckBox->isChecked()) plan.parities.push_back(Parity::None);
  if (ui_.ParityEven_CheckBox->isChecked()) plan.parities.push_back(Parity::Even);
  if (ui_.ParityOdd_CheckBox->isChecked()) plan.parities.push_back(Parity::Odd);
  return plan;
}

bool ScanDialogForm::Open() {
  LinkSettingsRecord& s = link_.LinkSettings;
  s.Baudrate = target_.baudrate;
  if (!target_.converter) {
    s.Type = 0;
    s.PortName = target_.device;
    if (port_.Open(target_.device)) return true;
    ui_.Progress_Label->setText(Q(PortOpenFailureText(target_.device, port_.LastOpenFailure(), port_.LastOpenDetail())));
    return false;
  }
  s.Type = 1;
  s.Framing = EthernetFraming::Rtu;
  socket_.Open(target_.host, target_.port);
  const std::uint64_t start = clock_.NowMs();
  while (socket_.Connecting() && !stop_ && clock_.NowMs() - start < kConnectLimitMs) socket_.WaitForEvent(100);
  if (socket_.Connected()) return true;
  ui_.Progress_Label->setText(QStringLiteral("Нет соединения с %1, порт:%2").arg(Q(target_.host)).arg(target_.port));
  socket_.Close();
  return false;
}

void ScanDialogForm::Start() {
  if (running_) return;
  ui_.Found_ListWidget->clear();
  result_ = {};
  refused_.clear();
  stop_ = closeRequested_ = false;
  SetRunning(true);
  ui_.Progress_Label->setText(QStringLiteral("Подключение..."));
  if (Open()) {
    result_ = ScanMeters(link_, Plan(), *this);
    port_.Close();
    socket_.Close();
    QString text = QStringLiteral("Найдено приборов: %1").arg(result_.found.size());
    if (result_.stopped) text = QStringLiteral("Поиск прерван. ") + text;
    if (result_.connectionLost) text = QStringLiteral("Связь потеряна. ") + text;
    if (!refused_.isEmpty()) text += QStringLiteral(". Порт не принял: ") + refused_.join(QStringLiteral(", "));
    ui_.Progress_Label->setText(text);
  }
  SetRunning(false);
  if (!result_.found.empty()) ui_.Found_ListWidget->setCurrentRow(0);
  if (closeRequested_) QDialog::reject();
}

void ScanDialogForm::SetRunning(bool running) {
  running_ = running;
  ui_.Start_Button->setEnabled(!running);
  ui_.Stop_Button->setEnabled(running);
  ui_.Range_GroupBox->setEnabled(!running);
  ui_.Use_Button->setEnabled(!running && ui_.Found_ListWidget->currentRow() >= 0);
}

void ScanDialogForm::Use() {
  const int row = ui_.Found_ListWidget->currentRow();
  if (running_ || row < 0 || row >= static_cast<int>(result_.found.size())) return;
  const ScanFind& find = result_.found[static_cast<std::size_t>(row)];
  connectionForm_.SetText("Edit1", std::to_string(find.address));
  if (find.lineKnown) {
    connectionForm_.SetText("ComboBox2", std::to_string(find.line.baudrate));
    connectionForm_.SetItemIndex("ComboBox3", 3);  // 8 data bits
    connectionForm_.SetItemIndex("ComboBox4", ParityPosition(find.line.parity));
    connectionForm_.SetItemIndex("ComboBox5", 0);  // one stop bit
  }
  accept();
}

// Closing while it searches stops the search first; the dialog closes when it has ended.
void ScanDialogForm::reject() {
  stop_ = true;
  closeRequested_ = running_;
  if (!running_) QDialog::reject();
}

void ScanDialogForm::Progress(int done, int total, long long leftMs) {
  ui_.Scan_ProgressBar->setMaximum(std::max(total, 1));
  ui_.Scan_ProgressBar->setValue(done);
  ui_.Progress_Label->setText(QStringLiteral("%1 из %2, осталось %3").arg(done).arg(total).arg(TimeLeft(leftMs)));
}

void ScanDialogForm::Found(const ScanFind& find) { ui_.Found_ListWidget->addItem(Q(FindText(find))); }

void ScanDialogForm::LineRefused(const ScanLine& line, const std::vector<std::string>&) {
  refused_ << Q(LineText(line));
}

}  // namespace kamt
