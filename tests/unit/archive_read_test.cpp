#include <algorithm>
#include <deque>
#include <gtest/gtest.h>
#include <numeric>
#include <sstream>

#include "hex.h"
#include "meter/archive_read.h"
#include "meter/current_data_read.h"
#include "setup/tcp_events.h"
#include "temp_dir.h"
#include "test_rig.h"
#include "text/cp1251.h"
#include "text/text_file.h"

namespace kamt {
namespace {

using test::ToHex;
using test::WithCrc;

// How the meter answers one attempt.
// Repeat: the record asked before this one (a late copy of the last answer), with this index.
enum class Answer { Good, Silent, BadCrc, Exception, Short, Repeat, Drop };
constexpr Answer kGood = Answer::Good, kSilent = Answer::Silent, kBadCrc = Answer::BadCrc, kExc = Answer::Exception,
                 kShort = Answer::Short, kRepeat = Answer::Repeat;

// Record i of the fake meter: hour i mod 24 on 1 June 2021, forward counter 100 i, working time 3600 i.
std::vector<std::uint8_t> RecordBytes(int i) {
  std::vector<std::uint8_t> r(kArchiveRecordSize, 0);
  r[0] = static_cast<std::uint8_t>(i % 24);
  r[1] = 1, r[2] = 6, r[3] = 21;
  const auto plus = static_cast<std::uint32_t>(100 * i);
  const auto work = static_cast<std::uint32_t>(3600 * i);
  for (int k = 0; k < 4; ++k) {
    r[static_cast<std::size_t>(15 - k)] = static_cast<std::uint8_t>(plus >> (8 * k));
    r[static_cast<std::size_t>(27 - k)] = static_cast<std::uint8_t>(work >> (8 * k));
  }
  return r;
}

int IndexOf(std::span<const std::uint8_t> pdu) { return pdu[1] << 8 | pdu[2]; }

// A pdu after the address: function, index, then the record or the fault.
std::vector<std::uint8_t> AnswerPdu(std::span<const std::uint8_t> request, Answer a) {
  if (a == Answer::Exception) return {static_cast<std::uint8_t>(request[0] | 0x80), 0x04};
  std::vector<std::uint8_t> pdu(request.begin(), request.begin() + 3);
  const auto record = RecordBytes(IndexOf(request) - (a == Answer::Repeat ? 1 : 0));
  pdu.insert(pdu.end(), record.begin(), record.end() - (a == Answer::Short ? 1 : 0));
  return pdu;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> r(static_cast<std::size_t>(to - from + 1));
  std::iota(r.begin(), r.end(), from);
  return r;
}

class ArchiveReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s.outputDirectory = dir.path;
    s.CurrentData.SerialNumber = 123;
    s.CurrentData.PlusDecimals = 2;
    s.CurrentData.MinusDecimals = 2;
    rig.port.onWrite = [this](std::span<const std::uint8_t> frame) { AnswerSerial(frame); };
  }

  // The archive of `kind` holds `count` records and the count edit holds `n`.
  void Archive(ArchiveKind kind, int count, const std::string& n) {
    const auto c = static_cast<std::uint16_t>(count);
    (kind == ArchiveKind::Hourly ? s.CurrentData.HourRecords
                                 : kind == ArchiveKind::Daily ? s.CurrentData.DayRecords : s.CurrentData.MonthRecords) = c;
    window.SetText(kind == ArchiveKind::Hourly ? "HourNum_Edit" : kind == ArchiveKind::Daily ? "DayNum_Edit" : "MonthNum_Edit", n);
  }

  // Notes the index asked for and takes the next answer of the plan.
  Answer Next(std::span<const std::uint8_t> pdu) {
    indices.push_back(IndexOf(pdu));
    const Answer a = plan.empty() ? Answer::Good : plan.front();
    if (!plan.empty()) plan.pop_front();
    return a;
  }

  void AnswerSerial(std::span<const std::uint8_t> frame) {
    const Answer a = Next(frame.subspan(1));
    if (a == Answer::Silent) return rig.port.ReplySilence();
    std::vector<std::uint8_t> answer{frame[0]};
    const auto p = AnswerPdu(frame.subspan(1), a);
    answer.insert(answer.end(), p.begin(), p.end());
    answer = WithCrc(answer);
    if (a == Answer::BadCrc) answer.back() ^= 0x01;
    rig.port.ReplyWith(answer);
  }

  // The meter behind Modbus TCP: answers every request by the plan, echoing its transaction.
  void UseTcp() {
    rig.UseTcp();
    ArmTcp();
  }
  void ArmTcp() {
    rig.socket.responders.push_back([this](std::span<const std::uint8_t> sent) {
      ArmTcp();
      const auto pdu = sent.subspan(7);
      const Answer a = Next(pdu);
      if (a == Answer::Drop) rig.socket.FailConnection("соединение закрыто прибором");
      if (a == Answer::Silent || a == Answer::Drop) return std::vector<test::FakeClientSocket::Segment>{};
      const auto p = AnswerPdu(pdu, a);
      std::vector<std::uint8_t> frame{sent[0], sent[1], 0, 0, 0, static_cast<std::uint8_t>(p.size() + 1), 0xFF};
      frame.insert(frame.end(), p.begin(), p.end());
      return std::vector<test::FakeClientSocket::Segment>{{2, frame}};
    });
  }

  // The lines of a file after its three of the header.
  std::vector<std::string> Rows(const std::string& name) const {
    const std::string text = Cp1251ToUtf8(ReadFileBytes(dir.path / name).value_or(""));
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
      lines.push_back(text.substr(at, end - at));
    }
    return lines.size() > 3 ? std::vector<std::string>(lines.begin() + 3, lines.end()) : std::vector<std::string>{};
  }

  test::TempDir dir;
  test::TestRig rig;
  Session& s = rig.session;
  test::FakeWindow& window = rig.window;
  std::deque<Answer> plan;  // per attempt; Good when it runs out
  std::vector<int> indices;  // asked for, in order
};

// Serial: the address's low byte, the kind's function, the index, the CRC. Modbus TCP keeps a
// fourth byte after the index, 0 whatever the buffer held before.
TEST_F(ArchiveReadTest, RequestFramesOverBothTransports) {
  s.link.LinkSettings.NetAddr = 0x1F7;
  for (const auto& [kind, f] : {std::pair<ArchiveKind, std::uint8_t>{ArchiveKind::Hourly, 0x46},
                                {ArchiveKind::Daily, 0x47}, {ArchiveKind::Monthly, 0x48}}) {
    rig.port.written.clear();
    Archive(kind, 300, "1");
    ReadArchive(s, kind);
    EXPECT_EQ(rig.port.written, (std::vector<std::vector<std::uint8_t>>{WithCrc({0xF7, f, 0x01, 0x2A}),
                                                                        WithCrc({0xF7, f, 0x01, 0x2B})}));
  }
  UseTcp();
  s.link.frames.TxBuffer.fill(0x5A);
  Archive(ArchiveKind::Daily, 2, "1");
  EXPECT_EQ(ReadArchive(s, ArchiveKind::Daily).outcome, ArchiveOutcome::Saved);
  ASSERT_EQ(rig.socket.sent.size(), 2u);
  EXPECT_EQ(ToHex(rig.socket.sent[0]), "01 00 00 00 00 05 FF 47 00 00 00");
  EXPECT_EQ(ToHex(rig.socket.sent[1]), "02 00 00 00 00 05 FF 47 00 01 00");
}

struct StartCase {
  int count;
  const char* n;
  int first;  // -1: nothing asked
};

class ArchiveStartIndex : public ArchiveReadTest, public ::testing::WithParamInterface<StartCase> {};

// N intervals are N + 1 records, the newest last; an N at or above count - 1 reads them all.
TEST_P(ArchiveStartIndex, ReadsFromTheFirstIndexToTheLast) {
  const StartCase& c = GetParam();
  std::ostringstream progress;
  window.SetProgressStream(&progress);
  Archive(ArchiveKind::Hourly, c.count, c.n);
  const ArchiveReadResult r = ReadArchive(s, ArchiveKind::Hourly);
  EXPECT_EQ(indices, c.first < 0 ? std::vector<int>{} : Range(c.first, c.count - 1));
  const int read = c.first < 0 ? 0 : c.count - c.first;
  EXPECT_EQ(r.recordsRead, read);
  EXPECT_EQ(r.outcome, read >= 2 ? ArchiveOutcome::Saved : ArchiveOutcome::TooFewRecords);
  EXPECT_EQ(std::filesystem::exists(dir.path / "KAMTarchH123.txt"), read >= 2);
  EXPECT_EQ(Rows("KAMTarchH123.txt").size(), static_cast<std::size_t>(std::max(read - 1, 0)));
  EXPECT_EQ(window.StatusText(1), read >= 2 ? "Данные сохранены в файл: KAMTarchH123.txt" : "Чтение архива закончено");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(progress.str().empty(), read == 0) << "nothing asked, nothing shown";
}

INSTANTIATE_TEST_SUITE_P(Rule, ArchiveStartIndex,
                         ::testing::Values(StartCase{10, "9", 0}, StartCase{10, "10", 0}, StartCase{10, "2147483647", 0},
                                           StartCase{10, "1", 8}, StartCase{10, "0", 9}, StartCase{10, "-1", -1},
                                           StartCase{10, "-2147483648", -1}, StartCase{1, "0", 0},
                                           StartCase{0, "-1", -1}));

TEST_F(ArchiveReadTest, CountThatIsNoWholeNumberChangesNothing) {
  for (const char* text : {"", "1.5", "99999999999"}) {
    window.log.clear();
    Archive(ArchiveKind::Monthly, 24, text);
    EXPECT_EQ(ReadArchive(s, ArchiveKind::Monthly).outcome, ArchiveOutcome::BadCount) << text;
    EXPECT_EQ(window.log, std::vector<std::string>{"message Ошибка ввода числа записей!"}) << text;
  }
  EXPECT_TRUE(indices.empty());
  EXPECT_FALSE(s.commandRunning);
}

// The monthly archive's own group is "Архив" (GroupBox2): it and the abort button stay usable.
TEST_F(ArchiveReadTest, PanelCountsTheIndexAndOtherGroupsAreLockedWhileItRuns) {
  const std::vector<std::string> locked = {"GroupBox1", "GroupBox3", "GroupBox6", "GroupBox7", "Button4"};
  Archive(ArchiveKind::Monthly, 720, "2");
  rig.port.onWrite = [&](std::span<const std::uint8_t> frame) {
    for (const auto& control : locked) EXPECT_FALSE(window.Enabled(control)) << control;
    AnswerSerial(frame);
  };
  ReadArchive(s, ArchiveKind::Monthly);
  EXPECT_EQ(window.Entries("panel1"),
            (std::vector<std::string>{"panel1 Идет чтение архива: 717:719", "panel1 Идет чтение архива: 718:719",
                                      "panel1 Идет чтение архива: 719:719", "panel1 Чтение архива закончено",
                                      "panel1 Данные сохранены в файл: KAMTarchM123.txt"}));
  std::vector<std::string> expected, changes;
  for (const char* state : {" off", " on"}) {
    for (const auto& control : locked) expected.push_back(control + state);
  }
  for (const auto& entry : window.log) {
    if (entry.ends_with(" on") || entry.ends_with(" off")) changes.push_back(entry);
  }
  EXPECT_EQ(changes, expected);
}

struct RetryCase {
  const char* name;
  std::vector<Answer> plan;
  int requests;                        // attempts in all
  std::vector<std::string> messages;   // message boxes, in order
  bool stops = true;                   // the read ends early
};

void PrintTo(const RetryCase& c, std::ostream* os) { *os << c.name; }

class ArchiveSerialRetry : public ArchiveReadTest, public ::testing::WithParamInterface<RetryCase> {};

// Three records asked for. Five failed attempts in a row end the read, whatever mix of
// failures they were; a record read in between starts the count again.
TEST_P(ArchiveSerialRetry, FiveFailuresInARowEndTheRead) {
  const RetryCase& c = GetParam();
  plan.assign(c.plan.begin(), c.plan.end());
  Archive(ArchiveKind::Hourly, 3, "2");
  const ArchiveReadResult r = ReadArchive(s, ArchiveKind::Hourly);
  EXPECT_EQ(static_cast<int>(indices.size()), c.requests);
  EXPECT_EQ(window.messages, c.messages);
  EXPECT_EQ(r.failed, c.stops);
  const auto panels = window.Entries("panel1");
  const auto finished = std::find(panels.begin(), panels.end(), "panel1 Чтение архива закончено");
  ASSERT_NE(finished, panels.begin());
  ASSERT_NE(finished, panels.end());
  EXPECT_EQ(finished[-1] == "panel1 Ошибка чтения архива", c.stops) << finished[-1];
}

const std::string kDevice = "Ошибка устройства!";
const std::string kLength = "Неправильная длина ответа!";

INSTANTIATE_TEST_SUITE_P(
    Plans, ArchiveSerialRetry,
    ::testing::Values(
        RetryCase{"four silences then an answer go on", {kSilent, kSilent, kSilent, kSilent}, 7, {}, false},
        RetryCase{"one counter for every failure, the fifth's message",
                  {kSilent, kExc, kBadCrc, kShort, kBadCrc}, 5, {kDevice, kLength, "Ошибка CRC!"}},
        RetryCase{"rejected answers show their own message each time",
                  {kExc, kExc, kExc, kExc, kExc}, 5,
                  {kDevice, kDevice, kDevice, kDevice, kDevice, "Ошибка чтения архива!"}},
        // A copy of the last answer is no record: it counts as a failure, and five end the read.
        RetryCase{"a late copy is retried", {kGood, kRepeat, kGood}, 4, {}, false},
        RetryCase{"five late copies", {kGood, kRepeat, kRepeat, kRepeat, kRepeat, kRepeat}, 6,
                  {"Повтор предыдущего ответа!"}},
        RetryCase{"a record read starts the count again",
                  {kBadCrc, kBadCrc, kBadCrc, kBadCrc, kGood, kBadCrc, kBadCrc, kBadCrc, kBadCrc, kGood, kShort,
                   kShort, kShort, kShort},
                  15, {kLength, kLength, kLength, kLength}, false}));

TEST_F(ArchiveReadTest, ReadStoppedByFailuresSavesWhatItHas) {
  plan = {kGood, kGood, kSilent, kSilent, kSilent, kSilent, kSilent};
  Archive(ArchiveKind::Hourly, 5, "4");
  const ArchiveReadResult r = ReadArchive(s, ArchiveKind::Hourly);
  EXPECT_EQ(std::tuple(r.failed, r.outcome, r.recordsRead), std::tuple(true, ArchiveOutcome::Saved, 2));
  EXPECT_EQ(indices, (std::vector<int>{0, 1, 2, 2, 2, 2, 2}));
  EXPECT_EQ(window.messages, std::vector<std::string>{"Устройство не отвечает!"});
  EXPECT_EQ(Rows("KAMTarchH123.txt"), std::vector<std::string>{"00-01ч 01.06.2021\t        1.00\t        0.00\t    "
                                                               "1.00ч\t0x00\t0.00\t    0"});
}

TEST_F(ArchiveReadTest, SerialPausesBeforeEveryAttemptTcpNever) {
  Archive(ArchiveKind::Hourly, 3, "2");
  const auto sleptInARead = [&](int delay) {
    plan = {kBadCrc};
    s.link.LinkSettings.Delay = delay;
    rig.clock.sleptMs = 0;
    ReadArchive(s, ArchiveKind::Hourly);
    return rig.clock.sleptMs;
  };
  const long long without = sleptInARead(0);
  long long sleptAtFirstWrite = -1;
  rig.port.onWrite = [&](std::span<const std::uint8_t> frame) {
    if (sleptAtFirstWrite < 0) sleptAtFirstWrite = rig.clock.sleptMs;
    AnswerSerial(frame);
  };
  EXPECT_EQ(sleptInARead(250) - without, 4 * 250) << "four attempts, the retry included";
  EXPECT_GE(sleptAtFirstWrite, 250) << "the pause comes before the request";
  UseTcp();
  EXPECT_EQ(sleptInARead(250), 0);
}

// "Прервать чтение" clicked while record `abortAt` is being read: that attempt finishes, no
// other starts; two records or more are saved. An abort before the read does not carry over.
TEST_F(ArchiveReadTest, AbortStopsBetweenAttemptsAndSavesTwoOrMore) {
  Button7Click(s);
  for (const auto& [tcp, abortAt] : {std::pair{false, 0}, std::pair{true, 1}}) {
    indices.clear();
    if (tcp) UseTcp();
    Archive(ArchiveKind::Monthly, 24, "23");
    window.onProcessEvents = [&, at = abortAt] {
      if (static_cast<int>(indices.size()) == at + 1) Button7Click(s);
    };
    const ArchiveReadResult r = ReadArchive(s, ArchiveKind::Monthly);
    EXPECT_EQ(std::tuple(r.aborted, r.recordsRead), std::tuple(true, abortAt + 1));
    EXPECT_EQ(indices, Range(0, abortAt));
    EXPECT_EQ(Rows("KAMTarchM123.txt").size(), static_cast<std::size_t>(abortAt));
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(window.Enabled("Button4") && window.Enabled("GroupBox1"));
  }
}

TEST_F(ArchiveReadTest, NoOtherCommandStartsWhileItRuns) {
  Archive(ArchiveKind::Hourly, 3, "2");
  std::vector<bool> refused;
  window.onProcessEvents = [&] {
    refused.push_back(!Button1Click(s));
    refused.push_back(ReadArchive(s, ArchiveKind::Daily).outcome == ArchiveOutcome::Busy);
  };
  EXPECT_EQ(ReadArchive(s, ArchiveKind::Hourly).outcome, ArchiveOutcome::Saved);
  EXPECT_FALSE(refused.empty());
  EXPECT_EQ(std::count(refused.begin(), refused.end(), false), 0);
  EXPECT_EQ(indices, Range(0, 2)) << "nothing but the archive's requests went out";
  EXPECT_FALSE(s.commandRunning);
}

// Over Modbus TCP a failed index is skipped, not retried, and the file bridges no gap, nor
// takes an entry left by an earlier read.
TEST_F(ArchiveReadTest, TcpSkipsAFailedIndexAndTheFileBridgesNoGap) {
  UseTcp();
  Archive(ArchiveKind::Hourly, 6, "5");
  ASSERT_EQ(ReadArchive(s, ArchiveKind::Hourly).recordsRead, 6);
  indices.clear();
  std::ostringstream progress;
  window.SetProgressStream(&progress);
  plan = {kGood, kGood, kExc, kSilent, kGood, kGood};
  const ArchiveReadResult r = ReadArchive(s, ArchiveKind::Hourly);
  EXPECT_EQ(indices, Range(0, 5)) << "one request per index";
  EXPECT_EQ(progress.str(), "\r0/6\r1/6\r2/6\r3/6\r4/6\n") << "records read, of those asked for";
  EXPECT_EQ(std::tuple(r.recordsRead, r.recordsSkipped), std::tuple(4, 2));
  EXPECT_EQ(window.messages, std::vector<std::string>{kDevice}) << "only the answer's own message";
  const auto rows = Rows("KAMTarchH123.txt");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[0].starts_with("00-01ч ") && rows[1].starts_with("04-05ч ")) << rows[0] << rows[1];
}

// The table follows the meter's count: 2000 records are read whole.
TEST_F(ArchiveReadTest, MoreThan1200RecordsAreReadWhole) {
  UseTcp();
  Archive(ArchiveKind::Hourly, 2000, "1999");
  EXPECT_EQ(ReadArchive(s, ArchiveKind::Hourly).recordsRead, 2000);
  const auto rows = Rows("KAMTarchH123.txt");
  ASSERT_EQ(rows.size(), 1999u);
  EXPECT_TRUE(rows.back().starts_with("06-07ч 01.06.2021\t        1.00\t")) << rows.back();
}

// A connection that goes down ends the read: what came before is saved, nothing after it is
// asked for or counted against the meter, and the read button stays off like every command
// without a connection.
TEST_F(ArchiveReadTest, TcpConnectionLostEndsTheReadAndKeepsWhatCame) {
  UseTcp();
  InstallSocketHandlers(s.link, s.window());
  plan = {kGood, kGood, kGood, kGood, Answer::Drop};
  Archive(ArchiveKind::Hourly, 8, "7");
  const ArchiveReadResult r = ReadArchive(s, ArchiveKind::Hourly);
  EXPECT_EQ(indices, Range(0, 4));
  EXPECT_EQ(std::tuple(r.connectionLost, r.aborted, r.recordsRead, r.recordsSkipped, r.outcome),
            std::tuple(true, false, 4, 0, ArchiveOutcome::Saved));
  EXPECT_EQ(Rows("KAMTarchH123.txt").size(), 3u);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.StatusText(0), "Нет соединения с 192.168.0.1, порт:502: соединение закрыто прибором");
  EXPECT_FALSE(window.Enabled("Button2"));
  for (const char* group : {"GroupBox1", "GroupBox2", "GroupBox3", "GroupBox7"}) EXPECT_TRUE(window.Enabled(group)) << group;
}

}  // namespace
}  // namespace kamt
