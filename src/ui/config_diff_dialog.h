#pragma once

#include <QDialog>
#include <vector>

#include "meter/config_backup.h"
#include "ui_config_diff_dialog.h"

namespace kamt {

// The fields that differ between two configurations, one row each: the field's caption and
// the two values, under the two sides' names.
class ConfigDiffDialog : public QDialog {
  Q_OBJECT

 public:
  ConfigDiffDialog(QWidget* parent, const std::vector<BackupDifference>& differences, const QString& leftTitle,
                   const QString& rightTitle);

 private:
  Ui::ConfigDiffDialog ui_;
};

}  // namespace kamt
