#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <array>
#include <string>

#include "setup/window.h"

class QLabel;
class QObject;
class QProgressBar;
class QWidget;

namespace kamt {

// The Window of one Qt form: controls are found by their object names, which the .ui forms
// carry exactly as the logic uses them. Combo boxes, the radio group (a group box of radio
// buttons, items in their order) and check boxes (0 clear, 1 ticked) have item indexes; a
// multi-line text (QPlainTextEdit) takes lines at its end.
// A name the form lacks is a programming error: it stops a debug build and is logged in a
// release build, where the call then does nothing.
class QtWindow : public Window {
 public:
  explicit QtWindow(QWidget& form);

  // The status bar's three panels (main window only) and the archive progress bar.
  void SetStatusPanels(const std::array<QLabel*, 3>& panels) { panels_ = panels; }
  void SetProgressBar(QProgressBar* bar) { progress_ = bar; }
  // While the program is closing, the message boxes of a command that is being ended are
  // not shown: nobody is there to read them.
  void SetMessagesSuppressed(bool suppressed) { suppressed_ = suppressed; }

  void SetStatusText(int panel, std::string_view text) override;
  std::string StatusText(int panel) const override;
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, std::string_view text) override;
  int ItemIndex(std::string_view control) const override;
  void SetItemIndex(std::string_view control, int index) override;
  int ItemCount(std::string_view control) const override;
  void SetItems(std::string_view control, const std::vector<std::string>& items) override;
  bool Enabled(std::string_view control) const override;
  void SetEnabled(std::string_view control, bool enabled) override;
  void SetVisible(std::string_view control, bool visible) override;
  void SetProgress(int done, int total) override;
  void ShowMessage(std::string_view text) override;
  void ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) override;
  void AppendLine(std::string_view control, std::string_view line) override;
  void ProcessEvents() override;

  // The control itself, for the form's own code and for tests; nullptr when missing.
  QObject* Find(std::string_view control) const;

 private:
  void Index() const;
  void ScheduleShow(bool now);
  void ShowStatus();

  QWidget& form_;
  std::array<QLabel*, 3> panels_{};
  QProgressBar* progress_ = nullptr;
  // What the logic set, at once; the widgets follow at most every kStatusRepaintMs, so that an
  // archive read does not repaint the status bar for each of its records.
  std::array<std::string, 3> statusTexts_;
  int progressDone_ = 0;
  int progressTotal_ = 0;
  QElapsedTimer lastShown_;
  QTimer showTimer_;
  bool suppressed_ = false;
  mutable QHash<QString, QPointer<QObject>> controls_;
};

}  // namespace kamt
