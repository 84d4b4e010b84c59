#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kamt {

class Clock;
class SerialPort;
class Window;

// The logic of the modem dialog TForm3, "Соединение через модем": a list of phone numbers
// kept between runs, and a dial over the serial port that is already open, which ends with
// the modem's first complete answer. Its controls are addressed through its own Window:
// TelNum_ComboBox, Add_Button, Delete_Button, Connect_Button, Button1 ("Отмена"), Memo1 (the
// transcript) and the status line (panel 0).
class ModemDial {
 public:
  enum class Result { None, Ok };

  // The command line dials without a phone list: it gives no path and never calls FormCreate
  // or FormClose.
  ModemDial(Window& form, SerialPort& port, Clock& clock, std::filesystem::path phoneListPath = {});

  void FormCreate();
  void FormShow();
  void Add_ButtonClick();
  void Delete_ButtonClick();
  // Dials the number in TelNum_ComboBox; returns when the modem has answered, the dial was
  // aborted, or it could not start. The dialog closes when the result is then Ok.
  void Connect_ButtonClick();
  // "Отмена": ends a dial under way; the dialog stays open.
  void Button1Click();
  void FormClose();

  // Ends a dial under way without a word: the dialog is closing, or the program is.
  void AbortDial() { DialAbort = true; }

  Result result() const { return result_; }
  bool Dialling() const { return dialling_; }
  std::string TelNumText() const;
  const std::vector<std::string>& Numbers() const { return numbers_; }

 private:
  void Dial(const std::string& command);
  void HandleAnswer(std::string_view answer);
  void HangUpIfOnline(std::string_view answer);
  void AppendTranscript(std::string_view prefix, std::string_view bytes);
  void ShowError(std::string_view text);
  void ShowNumbers();

  Window& form_;
  SerialPort& port_;
  Clock& clock_;
  std::filesystem::path phoneListPath_;
  std::vector<std::string> numbers_;
  Result result_ = Result::None;
  bool listRefused_ = false;  // the list file was too large to read: it is never written over
  bool DialAbort = false;
  bool dialling_ = false;
};

}  // namespace kamt
