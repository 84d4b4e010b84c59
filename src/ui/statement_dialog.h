#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "fleet/statement.h"

class QLabel;
class QTextBrowser;

namespace kamt {

// "Ведомость учёта" of a meter and month: shown as it prints, then printed, saved as PDF or
// as CSV.
class StatementDialog : public QDialog {
  Q_OBJECT

 public:
  StatementDialog(QWidget* parent, const StoredMeter& meter, const Statement& statement, const std::string& separator);

  bool SavePdf(const QString& path);
  bool SaveCsv(const QString& path);
  QString StatusText() const;

  std::function<QString(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter)>
      askSavePath;

 private:
  void Print();
  QString Suggested(const char* extension) const;

  QString html_;
  std::string csv_;
  QString name_;
  QTextBrowser* page_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace kamt
