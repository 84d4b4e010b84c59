#include "ui/qt_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtGlobal>
#include <algorithm>

#include "ui/message_box.h"

namespace kamt {
namespace {

// About thirty repaints a second: the eye sees no more, and a fast read is not slowed.
constexpr int kStatusRepaintMs = 33;

QString ToQt(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The radio buttons of a radio group, in their order on the form.
QList<QRadioButton*> RadioItems(const QGroupBox& group) {
  return group.findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
}

// A combo box without an edit field shows a text of its own only while nothing is chosen:
// as its placeholder.
QString ComboText(const QComboBox& box) {
  if (box.isEditable() || box.currentIndex() >= 0) return box.currentText();
  return box.placeholderText();
}

void SetComboText(QComboBox& box, const QString& text) {
  if (box.isEditable()) {
    box.setEditText(text);
    return;
  }
  const int index = text.isEmpty() ? -1 : box.findText(text, Qt::MatchExactly);
  box.setCurrentIndex(index);
  box.setPlaceholderText(index < 0 ? text : QString());
}

// An item counts only when it was chosen: a typed text has no position, even when it spells
// an item (a typed port name is stored as -1, and "Удалить" leaves a typed number alone).
int ComboIndex(const QComboBox& box) {
  const int current = box.currentIndex();
  if (!box.isEditable()) return current;
  // Qt itself picks the item a typed text spells (on Enter, or when the box loses focus); the
  // edit's modified flag still tells that the user typed it, as a choice resets the flag.
  const bool typed = box.lineEdit() && box.lineEdit()->isModified();
  return current >= 0 && !typed && box.itemText(current) == box.currentText() ? current : -1;
}

void SetRadioIndex(QGroupBox& group, int index) {
  const QList<QRadioButton*> items = RadioItems(group);
  for (int i = 0; i < items.size(); ++i) {
    // Radio buttons refuse to be all clear while they exclude each other.
    items[i]->setAutoExclusive(false);
    items[i]->setChecked(i == index);
    items[i]->setAutoExclusive(true);
  }
}

int RadioIndex(const QGroupBox& group) {
  const QList<QRadioButton*> items = RadioItems(group);
  for (int i = 0; i < items.size(); ++i) {
    if (items[i]->isChecked()) return i;
  }
  return -1;
}

}  // namespace

void QtWindow::Index() const {
  controls_.clear();
  QList<QObject*> pending = form_.children();
  while (!pending.isEmpty()) {
    QObject* object = pending.takeFirst();
    // Another form's controls are that form's own, even where the two share names.
    if (qobject_cast<QDialog*>(object)) continue;
    if (!object->objectName().isEmpty() && !controls_.contains(object->objectName())) {
      controls_.insert(object->objectName(), object);
    }
    pending.append(object->children());
  }
}

QObject* QtWindow::Find(std::string_view control) const {
  const QString name = ToQt(control);
  auto it = controls_.constFind(name);
  if (it == controls_.constEnd() || it.value().isNull()) {
    Index();
    it = controls_.constFind(name);
  }
  if (it != controls_.constEnd() && !it.value().isNull()) return it.value();
  // The logic names only the controls of the forms' table (setup/form_controls.h), which a
  // test holds to the .ui files: a name the form lacks is a fault of the program, in any build.
  qFatal("%s has no control named %s", qPrintable(form_.objectName()), qPrintable(name));
}

QtWindow::QtWindow(QWidget& form) : form_(form) {
  showTimer_.setSingleShot(true);
  QObject::connect(&showTimer_, &QTimer::timeout, &form_, [this] { ShowStatus(); });
}

void QtWindow::SetStatusText(int panel, std::string_view text) {
  if (panel < 0 || panel >= 3 || !panels_[static_cast<std::size_t>(panel)]) return;
  statusTexts_[static_cast<std::size_t>(panel)] = text;
  ScheduleShow(false);
}

void QtWindow::ScheduleShow(bool now) {
  if (now || !lastShown_.isValid() || lastShown_.elapsed() >= kStatusRepaintMs) {
    ShowStatus();
  } else if (!showTimer_.isActive()) {
    showTimer_.start(kStatusRepaintMs - static_cast<int>(lastShown_.elapsed()));
  }
}

std::string QtWindow::StatusText(int panel) const {
  if (panel < 0 || panel >= 3 || !panels_[static_cast<std::size_t>(panel)]) return {};
  return statusTexts_[static_cast<std::size_t>(panel)];
}

void QtWindow::ShowStatus() {
  showTimer_.stop();
  lastShown_.start();
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    if (panels_[i]) panels_[i]->setText(ToQt(statusTexts_[i]));
  }
  if (!progress_) return;
  if (progressTotal_ <= 0) {
    progress_->hide();
    return;
  }
  progress_->setRange(0, progressTotal_);
  progress_->setValue(std::clamp(progressDone_, 0, progressTotal_));
  progress_->show();
}

std::string QtWindow::Text(std::string_view control) const {
  QObject* o = Find(control);
  QString text;
  if (auto* label = qobject_cast<QLabel*>(o)) {
    text = label->text();
  } else if (auto* edit = qobject_cast<QLineEdit*>(o)) {
    text = edit->text();
  } else if (auto* box = qobject_cast<QComboBox*>(o)) {
    text = ComboText(*box);
  } else if (auto* button = qobject_cast<QAbstractButton*>(o)) {
    text = button->text();
  } else if (auto* group = qobject_cast<QGroupBox*>(o)) {
    text = group->title();
  } else if (auto* action = qobject_cast<QAction*>(o)) {
    text = action->text();
  } else if (auto* menu = qobject_cast<QMenu*>(o)) {
    text = menu->title();
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(o)) {
    text = memo->toPlainText();
  }
  return text.toStdString();
}

void QtWindow::SetText(std::string_view control, std::string_view utf8) {
  QObject* o = Find(control);
  const QString text = ToQt(utf8);
  if (auto* label = qobject_cast<QLabel*>(o)) {
    label->setText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(o)) {
    edit->setText(text);
  } else if (auto* box = qobject_cast<QComboBox*>(o)) {
    SetComboText(*box, text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(o)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(o)) {
    group->setTitle(text);
  } else if (auto* action = qobject_cast<QAction*>(o)) {
    action->setText(text);
  } else if (auto* menu = qobject_cast<QMenu*>(o)) {
    menu->setTitle(text);
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(o)) {
    memo->setPlainText(text);
  }
}

int QtWindow::ItemIndex(std::string_view control) const {
  QObject* o = Find(control);
  if (auto* box = qobject_cast<QComboBox*>(o)) return ComboIndex(*box);
  if (auto* check = qobject_cast<QCheckBox*>(o)) return check->isChecked() ? 1 : 0;
  if (auto* group = qobject_cast<QGroupBox*>(o)) return RadioIndex(*group);
  return -1;
}

void QtWindow::SetItemIndex(std::string_view control, int index) {
  QObject* o = Find(control);
  if (auto* box = qobject_cast<QComboBox*>(o)) {
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
    if (!box->isEditable()) box->setPlaceholderText(QString());
  } else if (auto* check = qobject_cast<QCheckBox*>(o)) {
    check->setChecked(index == 1);
  } else if (auto* group = qobject_cast<QGroupBox*>(o)) {
    SetRadioIndex(*group, index);
  }
}

int QtWindow::ItemCount(std::string_view control) const {
  QObject* o = Find(control);
  if (auto* box = qobject_cast<QComboBox*>(o)) return box->count();
  if (qobject_cast<QCheckBox*>(o)) return 2;
  if (auto* group = qobject_cast<QGroupBox*>(o)) return static_cast<int>(RadioItems(*group).size());
  return 0;
}

void QtWindow::SetItems(std::string_view control, const std::vector<std::string>& items) {
  auto* box = qobject_cast<QComboBox*>(Find(control));
  if (!box) return;
  const QString typed = box->currentText();
  box->clear();
  for (const std::string& item : items) box->addItem(ToQt(item));
  // Items added to an empty box would choose the first one.
  box->setCurrentIndex(-1);
  if (box->isEditable()) box->setEditText(typed);
}

// A control's own state, as the logic set it: a button in a disabled group stays enabled
// in its own right and is usable again when its group is.
bool QtWindow::Enabled(std::string_view control) const {
  QObject* o = Find(control);
  if (auto* action = qobject_cast<QAction*>(o)) return action->isEnabled();
  if (auto* widget = qobject_cast<QWidget*>(o)) return !widget->testAttribute(Qt::WA_ForceDisabled);
  return false;
}

void QtWindow::SetEnabled(std::string_view control, bool enabled) {
  QObject* o = Find(control);
  if (auto* action = qobject_cast<QAction*>(o)) {
    action->setEnabled(enabled);
  } else if (auto* widget = qobject_cast<QWidget*>(o)) {
    widget->setEnabled(enabled);
  }
}

void QtWindow::SetVisible(std::string_view control, bool visible) {
  QObject* o = Find(control);
  if (auto* action = qobject_cast<QAction*>(o)) {
    action->setVisible(visible);
  } else if (auto* widget = qobject_cast<QWidget*>(o)) {
    widget->setVisible(visible);
  }
}

void QtWindow::SetProgress(int done, int total) {
  if (!progress_) return;
  progressDone_ = done;
  progressTotal_ = total;
  // The end of a read shows at once, with the texts that go with it.
  ScheduleShow(total <= 0);
}

void QtWindow::ShowMessage(std::string_view text) {
  if (!suppressed_) kamt::ShowMessageBox(&form_, ToQt(text));
}

void QtWindow::ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) {
  if (!suppressed_) kamt::ShowMessageBox(&form_, ToQt(title), ToQt(text), icon);
}

void QtWindow::AppendLine(std::string_view control, std::string_view line) {
  if (auto* memo = qobject_cast<QPlainTextEdit*>(Find(control))) memo->appendPlainText(ToQt(line));
}

void QtWindow::ProcessEvents() { QCoreApplication::processEvents(); }

}  // namespace kamt
