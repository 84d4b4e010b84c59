#include "setup/form_controls.h"

#include <algorithm>

namespace kamt {
namespace {

// TForm1, the main window.
constexpr std::string_view kMainWindow[] = {
    "TForm1", "GroupBox1", "Label6", "Label1", "Label2", "Label3", "Label4", "Label7",
    "Pressure_Label", "Label5", "CurTime_Label", "Button1", "GroupBox6", "HourNum_Label", "Label18",
    "HourNum_Edit", "Button2", "Button7", "GroupBox7", "DayNum_Label", "Label19", "DayNum_Edit",
    "Button3", "Button8", "GroupBox2", "MonthNum_Label", "Label20", "MonthNum_Edit", "Button4",
    "Button9", "GroupBox3", "GroupBox4", "NetNumber_Caption", "Edit3", "Speed_Caption", "ComboBox2",
    "DataBits_Caption", "ComboBox3", "Parity_Caption", "ComboBox4", "StopBits_Caption", "ComboBox5",
    "Timeout_Caption", "ComboBox13", "GroupBox5", "IpAddress_Caption", "Edit1", "TcpPort_Caption",
    "Edit2", "Button5", "Button6", "GroupBox8", "Hour_Caption", "Min_Caption", "Sec_Caption",
    "DayOfWeek_Caption", "Day_Caption", "Month_Caption", "Year_Caption", "Hour_Edit", "Min_Edit",
    "Sec_Edit", "DayOfWeek_ComboBox", "Day_Edit", "Month_Edit", "Year_Edit", "ClockDiff_Label",
    "ReadTime_Button", "WriteTime_Button", "PcTime_Button", "GroupBox9", "Label25", "Edit4",
    "Label26", "ComboBox11", "Label27", "Edit5", "Label28", "Edit6", "Label29", "ComboBox10",
    "Label30", "Edit8", "Label31", "ComboBox15", "Label32", "Edit9", "Label33", "Edit10", "Label34",
    "ComboBox1", "Label35", "ComboBox6", "Label36", "Edit11", "Label37", "ComboBox7", "Label38",
    "ComboBox8", "Label39", "ComboBox9", "Label40", "ComboBox12", "Label41", "ComboBox14",
    "Label42", "Edit7", "Label43", "Edit12", "Label44", "Label45", "ReadConf_Button",
    "WriteConf_Button", "Button11", "MainMenu1", "File1", "View1", "N2", "StatusBar1", "Exit1",
    "Connect", "Disconnect", "Traffic1", "N3",
    // "Парк приборов...": the database of many meters.
    "Fleet1",
    // The configuration's file buttons beside the described ones.
    "BackupConf_Button", "RestoreConf_Button", "DiffConf_Button",
    // The status bar's three panels, added by the window.
    "StatusBar1_Panel0", "StatusBar1_Panel1", "StatusBar1_Panel2",
};
// TForm2, "Параметры соединения".
constexpr std::string_view kConnectionDialog[] = {
    "TForm2", "RadioGroup1", "RadioGroup1_Serial", "RadioGroup1_Ethernet", "GroupBox1",
    "PortName_Caption", "ComboBox1", "Baudrate_Caption", "ComboBox2", "Bits_Caption", "ComboBox3",
    "Parity_Caption", "ComboBox4", "StopBits_Caption", "ComboBox5", "GroupBox3",
    "IpAddress_Caption", "Edit2", "TcpPort_Caption", "Edit3", "GroupBox2", "Address_Caption",
    "Edit1", "ModemConnect_CheckBox", "Delay_Caption", "Edit4", "Button1", "Button2",
    // The converter's choice and the search for a meter beside the described controls.
    "RadioGroup1_Converter", "Scan_Button",
};
// TForm3, "Соединение через модем".
constexpr std::string_view kModemDialog[] = {
    "TForm3", "GroupBox1", "TelNum_ComboBox", "Add_Button", "Delete_Button", "Connect_Button",
    "Button1", "Memo1", "StatusBar1", "StatusBar1_Panel0",
};

}  // namespace

std::span<const std::string_view> FormControls(Form form) {
  switch (form) {
    case Form::Main: return kMainWindow;
    case Form::Connection: return kConnectionDialog;
    case Form::Modem: return kModemDialog;
  }
  return {};
}

bool IsFormControl(std::string_view name) {
  for (const Form form : {Form::Main, Form::Connection, Form::Modem}) {
    if (std::ranges::find(FormControls(form), name) != FormControls(form).end()) return true;
  }
  return false;
}

}  // namespace kamt
