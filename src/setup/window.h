#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kamt {

enum class MessageIcon { None, Warning, Error };

// What the logic may do to a form, and nothing more: the logic never touches widgets. One
// Window per form; controls are addressed by their object names ("Button1", "HourNum_Edit",
// "GroupBox9", menu items "Connect" and "Disconnect"). Texts are UTF-8.
class Window {
 public:
  virtual ~Window() = default;

  // Status bar panels: 0 connection state, 1 progress and result of the command, 2 the
  // state of the single exchange.
  virtual void SetStatusText(int panel, std::string_view text) = 0;
  virtual std::string StatusText(int panel) const = 0;

  virtual std::string Text(std::string_view control) const = 0;
  virtual void SetText(std::string_view control, std::string_view text) = 0;

  // Selected item of a combo box or radio group, from 0; -1 when none is selected.
  virtual int ItemIndex(std::string_view control) const = 0;
  virtual void SetItemIndex(std::string_view control, int index) = 0;
  virtual int ItemCount(std::string_view control) const = 0;
  // Replaces the items of a combo box; none is selected afterwards, and a box one can type
  // into keeps the text typed in it.
  virtual void SetItems(std::string_view control, const std::vector<std::string>& items) = 0;

  virtual bool Enabled(std::string_view control) const = 0;
  virtual void SetEnabled(std::string_view control, bool enabled) = 0;
  virtual void SetVisible(std::string_view control, bool visible) = 0;

  // Progress of a long command (an archive read): done out of total; total 0 hides it.
  virtual void SetProgress(int done, int total) = 0;

  // A modal message box with the application title and one OK button.
  virtual void ShowMessage(std::string_view text) = 0;
  // A modal message box of a dialog of its own, with its own title and icon and one OK button.
  virtual void ShowMessageBox(std::string_view title, std::string_view text, MessageIcon icon) = 0;

  // Adds a line at the end of a multi-line text (a transcript).
  virtual void AppendLine(std::string_view control, std::string_view line) = 0;

  // Lets the window repaint and react (an abort button, for one) while a command waits.
  virtual void ProcessEvents() = 0;
};

}  // namespace kamt
