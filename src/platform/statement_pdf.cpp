#include "platform/statement_pdf.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace kamt {

void LayOutForPrint(QTextDocument& document) {
  QFont font = document.defaultFont();
  font.setPointSize(9);
  document.setDefaultFont(font);
}

QString WriteHtmlPdf(const QString& html, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Ведомость учёта"));
    QTextDocument document;
    LayOutForPrint(document);
    document.setHtml(html);
    document.print(&writer);
  }
  if (!file.commit()) return file.errorString();
  return {};
}

}  // namespace kamt
