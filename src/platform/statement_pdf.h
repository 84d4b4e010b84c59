#pragma once

#include <QString>

class QTextDocument;

namespace kamt {

// An A4 page layout for the statement: the document as it is printed or written as PDF.
void LayOutForPrint(QTextDocument& document);

// The HTML page as a PDF file (A4, Qt's own PDF writer), written beside its name and renamed
// when whole: empty when done, else why not. Needs a QGuiApplication.
QString WriteHtmlPdf(const QString& html, const QString& path);

}  // namespace kamt
