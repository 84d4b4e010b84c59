#include "ui/statement_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/statement_pdf.h"
#include "text/text_file.h"

namespace kamt {

StatementDialog::StatementDialog(QWidget* parent, const StoredMeter& meter, const Statement& statement,
                                 const std::string& separator)
    : QDialog(parent),
      html_(QString::fromStdString(StatementHtml(meter, statement, separator))),
      csv_(StatementCsv(meter, statement)),
      name_(QStringLiteral("%1_%2-%3")
                .arg(QString::fromStdString(meter.name))
                .arg(statement.year)
                .arg(statement.month, 2, 10, QChar('0'))) {
  setObjectName(QStringLiteral("StatementDialog"));
  setWindowTitle(QStringLiteral("Ведомость учёта"));
  setAttribute(Qt::WA_DeleteOnClose);
  resize(820, 760);
  auto* layout = new QVBoxLayout(this);
  page_ = new QTextBrowser(this);
  page_->setObjectName(QStringLiteral("Statement_Browser"));
  page_->setHtml(html_);
  layout->addWidget(page_);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("Status_Label"));
  layout->addWidget(status_);
  auto* buttons = new QHBoxLayout;
  layout->addLayout(buttons);
  const auto add = [&](const char* name, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), this);
    button->setObjectName(QString::fromUtf8(name));
    buttons->addWidget(button);
    return button;
  };
  connect(add("Print_Button", "Печать..."), &QPushButton::clicked, this, &StatementDialog::Print);
  connect(add("SavePdf_Button", "Сохранить PDF..."), &QPushButton::clicked, this, [this] {
    const QString path = askSavePath(this, QStringLiteral("Ведомость в PDF"), Suggested("pdf"),
                                     QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty()) SavePdf(path);
  });
  connect(add("SaveCsv_Button", "Сохранить CSV..."), &QPushButton::clicked, this, [this] {
    const QString path = askSavePath(this, QStringLiteral("Ведомость в CSV"), Suggested("csv"),
                                     QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty()) SaveCsv(path);
  });
  buttons->addStretch();
  connect(add("Close_Button", "Закрыть"), &QPushButton::clicked, this, &QDialog::close);
}

QString StatementDialog::Suggested(const char* extension) const {
  return name_ + QStringLiteral(".") + QString::fromUtf8(extension);
}

QString StatementDialog::StatusText() const { return status_->text(); }

bool StatementDialog::SavePdf(const QString& path) {
  const QString error = WriteHtmlPdf(html_, path);
  status_->setText(error.isEmpty() ? QStringLiteral("Записан файл: %1").arg(path)
                                   : QStringLiteral("Файл не записан: %1").arg(error));
  return error.isEmpty();
}

bool StatementDialog::SaveCsv(const QString& path) {
  std::string error;
  const bool ok = WriteFileAtomically(std::filesystem::path(path.toStdU16String()), csv_, &error);
  status_->setText(ok ? QStringLiteral("Записан файл: %1").arg(path)
                      : QStringLiteral("Файл не записан: %1").arg(QString::fromStdString(error)));
  return ok;
}

void StatementDialog::Print() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintHtml(html_, printer);
}

}  // namespace kamt
