#pragma once

#include <QAbstractTableModel>
#include <cstdint>

#include "link/traffic_decoder.h"

namespace kamt {

class TrafficLog;

// The traffic log as the monitor's table sees it: time, direction, bytes, summary. It follows
// the log only when asked (Refresh, on a timer), so a burst of frames costs the view one
// insertion, not one per frame; a line is decoded only when it is painted.
class TrafficMonitorModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { TimeColumn, DirectionColumn, BytesColumn, SummaryColumn, ColumnCount };

  TrafficMonitorModel(const TrafficLog& log, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Takes in the events the log has gained and lets go of those it has dropped since the last
  // call. True when the rows changed.
  bool Refresh();

  // The log's number of the event on a row.
  std::uint64_t NumberAt(int row) const { return first_ + static_cast<std::uint64_t>(row); }

 private:
  const TrafficSummary& SummaryOf(std::uint64_t number) const;

  const TrafficLog& log_;
  std::uint64_t first_ = 0;  // the events shown: first_ up to, not including, end_
  std::uint64_t end_ = 0;
  // A row is asked for column after column: its summary is decoded once.
  mutable std::uint64_t summaryNumber_ = UINT64_MAX;
  mutable TrafficSummary summary_;
};

}  // namespace kamt
