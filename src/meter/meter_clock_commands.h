#pragma once

namespace kamt {

struct Session;

// "Считать" of the clock group: reads the meter's clock into the edits and shows beside them
// (ClockDiff_Label) how far it is from the computer's clock. True when read and shown.
bool ReadTime_ButtonClick(Session& session);

// "Записать": checks the edits and sets the meter's clock from them. True when the meter
// accepted the write.
bool WriteTime_ButtonClick(Session& session);

// "Время компьютера" (PcTime_Button): fills the edits and the day of week from the computer's
// clock; nothing is sent until the user writes. False only while another command runs.
bool PcTime_ButtonClick(Session& session);

}  // namespace kamt
