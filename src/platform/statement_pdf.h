#pragma once

#include <QString>

class QPagedPaintDevice;

namespace kamt {

// The HTML page (the statement) printed on a printer or a PDF writer: laid out for the
// device's own page and resolution, so the table fills the page between its margins.
void PrintHtml(const QString& html, QPagedPaintDevice& device);

// The HTML page as a PDF file (A4, Qt's own PDF writer), written beside its name and renamed
// when whole: empty when done, else why not. Needs a QGuiApplication.
QString WriteHtmlPdf(const QString& html, const QString& path);

}  // namespace kamt
