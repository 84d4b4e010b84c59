#include "platform/statement_pdf.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace kamt {

void PrintHtml(const QString& html, QPagedPaintDevice& device) {
  QTextDocument document;
  document.documentLayout()->setPaintDevice(&device);
  QFont font = document.defaultFont();
  font.setPointSize(9);
  document.setDefaultFont(font);
  document.setHtml(html);
  // A page size of the device's own pixels: printed at a scale of one, with no margin of the
  // document's own beside the device's.
  document.setPageSize(device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
  document.print(&device);
}

QString WriteHtmlPdf(const QString& html, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("Ведомость учёта"));
    writer.setCreator(QStringLiteral("kamt"));
    PrintHtml(html, writer);
  }
  if (!file.commit()) return file.errorString();
  return {};
}

}  // namespace kamt
