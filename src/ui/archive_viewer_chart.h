#pragma once

#include <QChartView>
#include <memory>
#include <string>
#include <vector>

#include "meter/archive_file_reader.h"

class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace kamt {

// The chart of an archive file: the volumes of each interval ('+' and '-') over time on the
// left axis, the pressure or the temperature on the right one where the file has it. A point
// stands at the start of its interval. Rubber band to zoom in, right click to zoom out; the
// row under the mouse is shown in a tooltip.
class ArchiveChartView : public QChartView {
  Q_OBJECT

 public:
  ArchiveChartView(std::shared_ptr<const ArchiveFileContents> file, std::string separator, QWidget* parent);

  // Rows of the file that have a place in time, and so a point.
  int PointCount() const { return static_cast<int>(rows_.size()); }
  // The row whose point is nearest in time to a position in the view, or -1 off the plot.
  int RowAt(QPoint position) const;
  // The tooltip of that row: its interval and every column of it.
  QString RowToolTip(int row) const;
  // Marks the row's point (a row without one takes the mark away).
  void ShowRow(int row);
  void ResetZoom();
  // The chart as the user sees it, as a PNG written whole or not at all.
  bool SaveImage(const QString& path, QString* error);

  QCategoryAxis& timeAxis() { return *time_; }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void AddSeries();
  void AddAxes();
  void MakeLegendToggle();
  void LabelTime(qreal from, qreal to);
  QPointF PointOf(int row) const;

  std::shared_ptr<const ArchiveFileContents> file_;
  std::string separator_;
  std::vector<double> times_;  // the points' times, ascending
  std::vector<int> rows_;      // the row of each point
  QLineSeries* plus_ = nullptr;
  QLineSeries* minus_ = nullptr;
  QLineSeries* sensor_ = nullptr;
  QScatterSeries* mark_ = nullptr;
  QCategoryAxis* time_ = nullptr;
  QValueAxis* volume_ = nullptr;
  QValueAxis* sensorAxis_ = nullptr;
};

}  // namespace kamt
