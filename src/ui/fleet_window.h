#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fleet/fleet_view.h"
#include "ui_fleet_window.h"

class QThread;

namespace kamt {

class ArchiveChartView;
class SqlFleetView;
struct FleetMeter;

// The meters of a database, one row each; a meter whose last poll did not end well or that
// reported a fault is red. Sorted by Qt::UserRole (numbers as numbers).
class FleetTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Name, Serial, Connection, LastPoll, Outcome, Records, ClockOffset, State, Columns };
  using QAbstractTableModel::QAbstractTableModel;
  void Reset(std::vector<MeterOverview> meters);
  const MeterOverview& At(int row) const { return meters_[static_cast<std::size_t>(row)]; }
  const std::vector<MeterOverview>& Meters() const { return meters_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<MeterOverview> meters_;
};

// "Парк приборов": the meters a collector keeps in a database (a SQLite file or a server),
// and for the chosen one its consumption over time, its polls, a poll now, its archives as
// files or CSV, and the monthly statement. It reads through a connection of its own; a poll
// runs in a worker thread with a connection of its own, as the collector's do.
class FleetWindow : public QWidget {
  Q_OBJECT

 public:
  FleetWindow(QWidget* parent, std::string separator);
  ~FleetWindow() override;

  // Opens the database (a file path or a server's connection text) and lists its meters;
  // false, with why in the window's status line, when it cannot be read.
  bool OpenDatabase(const QString& text);
  void Refresh();
  // Chooses the meter of that name among the rows the filter shows.
  void SelectMeter(const QString& name);
  const MeterOverview* Selected() const;

  FleetTableModel& model() { return model_; }
  QSortFilterProxyModel& proxy() { return proxy_; }
  ArchiveChartView* chart() { return chart_; }
  bool Polling() const { return poll_ != nullptr; }
  QString StatusText() const { return ui_.Status_Label->text(); }

  // The file dialogs; tests answer them themselves. An empty answer does nothing.
  std::function<QString(QWidget* parent)> askDatabase;
  std::function<QString(QWidget* parent)> askFolder;
  std::function<QString(QWidget* parent, const QString& caption, const QString& suggested, const QString& filter)>
      askSavePath;

 signals:
  void PollFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void SelectionChanged();
  void ShowChart();
  void ShowPolls();
  void PollNow();
  void PollDone(const QString& text, bool failed);
  void ExportFiles();
  void ExportCsv();
  void ShowStatement();
  void Say(const QString& text, bool failed = false);
  void EnableMeterButtons();

  Ui::FleetWindow ui_;
  std::string separator_;
  FleetTableModel model_;
  QSortFilterProxyModel proxy_;
  std::string database_;
  std::unique_ptr<Store> store_;
  std::unique_ptr<SqlFleetView> view_;
  ArchiveChartView* chart_ = nullptr;
  QWidget* noChart_ = nullptr;
  QThread* poll_ = nullptr;
  std::atomic<bool> stop_ = false;
};

}  // namespace kamt
