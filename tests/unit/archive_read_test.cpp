// Reading an archive record by record: the first index, the retries, the abort, the busy guard,
// and over Modbus TCP the skipped index and the connection lost.
#include <deque>
#include <gtest/gtest.h>
#include <numeric>

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
  std::tie(r[0], r[1], r[2], r[3]) = std::tuple(static_cast<std::uint8_t>(i % 24), 1, 6, 21);
  for (int k = 0; k < 4; ++k) {
    r[static_cast<std::size_t>(15 - k)] = static_cast<std::uint8_t>(100 * i >> (8 * k));
    r[static_cast<std::size_t>(27 - k)] = static_cast<std::uint8_t>(3600 * i >> (8 * k));
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

// N intervals are N + 1 records, the newest last; an N at or above count - 1 reads them all.
TEST_F(ArchiveReadTest, ReadsFromTheFirstIndexToTheLast) {
  const std::tuple<int, const char*, int> cases[] = {  // count, N, first index (-1: nothing asked)
      {10, "9", 0}, {10, "10", 0}, {10, "2147483647", 0}, {10, "1", 8}, {10, "0", 9}, {10, "-1", -1},
      {10, "-2147483648", -1}, {1, "0", 0}, {0, "-1", -1}};
  for (const auto& [count, n, first] : cases) {
    std::ostringstream progress;
    window.SetProgressStream(&progress);
    indices.clear();
    std::filesystem::remove(dir.path / "KAMTarchH123.txt");
    window.SetStatusText(2, "Принято 101 байт");  // the current-data read's, before it
    Archive(ArchiveKind::Hourly, count, n);
    const ArchiveReadResult r = ReadArchive(s, ArchiveKind::Hourly);
    const int read = first < 0 ? 0 : count - first;
    EXPECT_EQ(indices, first < 0 ? std::vector<int>{} : Range(first, count - 1)) << n;
    EXPECT_EQ(std::tuple(r.recordsRead, r.outcome), std::tuple(read, read >= 2 ? ArchiveOutcome::Saved : ArchiveOutcome::TooFewRecords));
    EXPECT_EQ(Rows("KAMTarchH123.txt").size(), static_cast<std::size_t>(std::max(read - 1, 0)));
    EXPECT_EQ(window.StatusText(1), read >= 2 ? "Данные сохранены в файл: KAMTarchH123.txt" : "Чтение архива закончено");
    EXPECT_EQ(progress.str().empty(), read == 0) << "nothing asked, nothing shown";
    EXPECT_NE(window.StatusText(2), "Принято 101 байт") << "panel 2 tells of this read only";
  }
  EXPECT_TRUE(window.messages.empty());
}

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
  for (const auto& control : locked) EXPECT_EQ(window.Entries(control), (std::vector{control + " off", control + " on"}));
  EXPECT_TRUE(window.Entries("GroupBox2").empty());
}

const std::string kDevice = "Ошибка устройства!";
const std::string kLength = "Неправильная длина ответа!";

// Three records asked for. Five failed attempts in a row end the read, whatever mix of
// failures they were, with the fifth's message (or the archive's own) and then the status
// text; a record read in between starts the count again. A copy of the last answer is no
// record: it counts as a failure.
TEST_F(ArchiveReadTest, FiveFailuresInARowEndTheRead) {
  const std::tuple<std::vector<Answer>, int, std::vector<std::string>, bool> cases[] = {  // plan, attempts, messages, stops
      {{kSilent, kSilent, kSilent, kSilent}, 7, {}, false},
      {{kSilent, kExc, kBadCrc, kShort, kBadCrc}, 5, {kDevice, kLength, "Ошибка CRC!"}, true},
      {{kExc, kExc, kExc, kExc, kExc}, 5, {kDevice, kDevice, kDevice, kDevice, kDevice, "Ошибка чтения архива!"}, true},
      {{kGood, kRepeat, kGood}, 4, {}, false},
      {{kGood, kRepeat, kRepeat, kRepeat, kRepeat, kRepeat}, 6, {"Повтор предыдущего ответа!"}, true},
      {{kBadCrc, kBadCrc, kBadCrc, kBadCrc, kGood, kBadCrc, kBadCrc, kBadCrc, kBadCrc, kGood, kShort, kShort, kShort,
        kShort}, 15, {kLength, kLength, kLength, kLength}, false}};
  for (const auto& [answers, attempts, messages, stops] : cases) {
    plan.assign(answers.begin(), answers.end());
    indices.clear();
    window.log.clear();
    window.messages.clear();
    Archive(ArchiveKind::Hourly, 3, "2");
    EXPECT_EQ(ReadArchive(s, ArchiveKind::Hourly).failed, stops);
    EXPECT_EQ(static_cast<int>(indices.size()), attempts);
    EXPECT_EQ(window.messages, messages);
    const auto log = window.log;
    const auto failed = std::find(log.begin(), log.end(), "panel1 Ошибка чтения архива");
    EXPECT_EQ(failed != log.end() && !messages.empty() && failed[-1] == "message " + messages.back(), stops);
  }
}

TEST_F(ArchiveReadTest, SerialPausesBeforeEveryAttempt) {
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
  bool inside = false;  // a command let through would run these events again
  window.onProcessEvents = [&] {
    if (std::exchange(inside, true)) return;
    refused.push_back(!Button1Click(s));
    refused.push_back(ReadArchive(s, ArchiveKind::Daily).outcome == ArchiveOutcome::Busy);
    inside = false;
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
