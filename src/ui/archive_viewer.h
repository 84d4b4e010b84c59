#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "meter/archive_file_reader.h"
#include "ui_archive_viewer.h"

namespace kamt {

class ArchiveChartView;

// A window onto one archive file: a summary line, the chart of its intervals and the table
// of its rows. It only reads: nothing is written but a chart picture the user asks for.
class ArchiveViewer : public QWidget {
  Q_OBJECT

 public:
  // Reads the file and shows a viewer of it. A file that is not an archive of ours is named in
  // a message box with the line that could not be read; then there is no viewer (nullptr).
  static ArchiveViewer* Open(QWidget* parent, const QString& path, const std::string& separator);

  ArchiveViewer(QWidget* parent, const QString& path, std::shared_ptr<const ArchiveFileContents> file,
                const std::string& separator);

  ArchiveChartView& chart() { return *chart_; }
  const QString& path() const { return path_; }

  // Asks where to save the chart; an empty answer saves nothing. Tests answer it themselves.
  std::function<QString(QWidget* parent, const QString& suggested)> askSavePath;

  // "Сохранить график...": the chart as a PNG; a failure is said in a message box.
  bool SaveChart(const QString& path);

 private:
  QString Summary() const;
  void SaveClicked();

  Ui::ArchiveViewer ui_;
  QString path_;
  std::shared_ptr<const ArchiveFileContents> file_;
  ArchiveChartView* chart_ = nullptr;
};

}  // namespace kamt
