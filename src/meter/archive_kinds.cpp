#include "meter/archive_kinds.h"

#include "meter/current_data.h"

namespace kamt {
namespace {

constexpr ArchiveKindInfo kKinds[] = {
    {ArchiveKind::Hourly, 0x46, "HourNum_Edit", {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox7", "Button2"},
     "KAMTarchH", "hourly"},
    {ArchiveKind::Daily, 0x47, "DayNum_Edit", {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox6", "Button3"},
     "KAMTarchD", "daily"},
    // The monthly archive's own group is GroupBox2 ("Архив"), so it is the one left out.
    {ArchiveKind::Monthly, 0x48, "MonthNum_Edit", {"GroupBox1", "GroupBox3", "GroupBox6", "GroupBox7", "Button4"},
     "KAMTarchM", "monthly"},
};

}  // namespace

const ArchiveKindInfo& KindInfo(ArchiveKind kind) { return kKinds[static_cast<int>(kind)]; }

int RecordCount(const CurrentDataRecord& data, ArchiveKind kind) {
  switch (kind) {
    case ArchiveKind::Hourly: return data.HourRecords;
    case ArchiveKind::Daily: return data.DayRecords;
    case ArchiveKind::Monthly: return data.MonthRecords;
  }
  return 0;
}

}  // namespace kamt
