#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "fake_clock.h"
#include "fake_serial_port.h"
#include "fake_window.h"
#include "link/serial_line.h"
#include "setup/modem_dial.h"
#include "setup/modem_dial_answer.h"
#include "setup/phone_list.h"
#include "temp_dir.h"

namespace kamt {
namespace {

using namespace std::string_literals;
using Pieces = std::vector<std::pair<int, std::string>>;
using Texts = std::vector<std::string>;

const std::string kWaiting = "Ожидание ответа от модема...";
const std::string kGot = "Ответ получен";
const std::string kUp = "Соединение установлено";
const std::string kDown = "Соединение не установлено";

class ModemDialTest : public ::testing::Test {
 protected:
  ModemDialTest() {
    port.Open("/dev/ttyTEST");
    port.calls.clear();
    form.SetText("TelNum_ComboBox", "12345");
  }
  // What the modem sends after the dial command: pieces at their times (ms after the write).
  void ModemSays(const Pieces& pieces) {
    test::FakeSerialPort::Reply reply;
    for (const auto& [at, text] : pieces) reply.push_back({at, {text.begin(), text.end()}});
    port.replies.push_back(reply);
  }
  std::string Memo() const { return form.Text("Memo1"); }
  Texts Statuses() const {
    Texts texts;
    for (const std::string& e : form.Entries("panel0 ")) texts.push_back(e.substr(7));
    return texts;
  }
  bool Connected() const { return dial.result() == ModemDial::Result::Ok; }
  // The dial is over: its button is back and a new dial may start.
  void ExpectEnded(bool connected) const {
    EXPECT_EQ(Connected(), connected);
    EXPECT_TRUE(form.Enabled("Connect_Button"));
    EXPECT_FALSE(dial.Dialling());
  }
  std::string SavedList() const {
    std::ifstream in(listPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  test::FakeClock clock;
  test::FakeSerialPort port{clock};
  test::FakeWindow form;
  test::TempDir dir;
  std::filesystem::path listPath = dir.path / "tel_numbers.ini";
  ModemDial dial{form, port, clock, listPath};
};


struct AnswerCase {
  const char* name;
  Pieces pieces;
  Texts statuses;    // after "Ожидание ответа от модема..."
  std::string memo;  // after the ">>ATD12345" line
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class ModemAnswer : public ModemDialTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(ModemAnswer, EndsTheDialWithItsStatusAndResult) {
  const AnswerCase& c = GetParam();
  ModemSays(c.pieces);
  dial.Connect_ButtonClick();
  Texts statuses{kWaiting};
  statuses.insert(statuses.end(), c.statuses.begin(), c.statuses.end());
  EXPECT_EQ(Statuses(), statuses);
  EXPECT_EQ(Memo(), ">>ATD12345\n" + c.memo);
  ExpectEnded(c.statuses.back() == kUp);
}

const std::string kLongestAnswer = "\r\nCONNECT 9600 " + std::string(238, '.') + "\r\n";  // 255 bytes

INSTANTIATE_TEST_SUITE_P(
    Answers, ModemAnswer,
    ::testing::Values(
        // The echo comes alone and ends with its CR: reading goes on until the answer.
        AnswerCase{"EchoAloneThenConnect", {{0, "ATD12345\r"}, {5000, "\r\nCONNECT 9600\r\n"}}, {kGot, kUp},
                   "<<ATD12345\nCONNECT 9600"},
        // The later keyword wins, and is the only outcome shown; the modem, which may be
        // online, is hung up (it does not answer the "+++" here).
        AnswerCase{"ConnectAndOk", {{0, "\r\nCONNECT 9600\r\n\r\nOK\r\n"}}, {kGot, kDown}, "<<\nCONNECT 9600\nOK\n>>+++"},
        AnswerCase{"NoKeyword", {{0, "\r\nRING\r\n"}}, {kGot}, "<<\nRING"},
        AnswerCase{"CaseIsRespected", {{0, "\r\nconnect 9600\r\n"}}, {kGot}, "<<\nconnect 9600"},
        // The dial ends with its first complete answer: what follows is not waited for.
        AnswerCase{"OnlyTheFirstAnswerCounts", {{0, "\r\nRING\r\n"}, {1500, "\r\nCONNECT 9600\r\n"}}, {kGot}, "<<\nRING"},
        AnswerCase{"ExactlyTheBuffer", {{0, kLongestAnswer}}, {kGot, kUp}, "<<\n" + kLongestAnswer.substr(2, 251)}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(AnswerComplete, NeedsMoreThanTwoBytesEndingInCrLf) {
  const std::pair<std::string, bool> cases[] = {
      {"", false}, {"\r\n", false}, {"\r\nOK\r", false}, {"A\r\n", true}, {"\r\n\r\n", true}};
  for (const auto& [text, complete] : cases) EXPECT_EQ(AnswerComplete(text), complete) << testing::PrintToString(text);
}

TEST(TranscriptLines, ShowControlBytesNeverPassThemOn) {
  EXPECT_EQ(TranscriptLines("<<", ""), Texts{"<<"});
  // Bytes above 0x7F are Windows-1251.
  EXPECT_EQ(TranscriptLines("<<", "\xCE\xCA \x07\x1B[2J\x00\x7F\x98\t"s), Texts{"<<ОК \\x07\\x1B[2J\\x00\\x7F\\x98\\x09"});
}


// The transcript keeps every dial.
TEST_F(ModemDialTest, TheCommandGoesOutAsTypedAfterAPurge) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "ATD\r"}, {"T8,495 123", "ATDT8,495 123\r"}, {"П1", "ATD\xCF" "1\r"}};
  for (const auto& [number, command] : cases) {
    port.written.clear();
    port.calls.clear();
    ModemSays({{0, "\r\nBUSY\r\n"}});
    form.SetText("TelNum_ComboBox", number);
    dial.Connect_ButtonClick();
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(std::string(port.written[0].begin(), port.written[0].end()), command);
    EXPECT_EQ(port.calls, (Texts{"purge", "write"}));
  }
  EXPECT_EQ(Memo(), ">>ATD\n<<\nBUSY\n>>ATDT8,495 123\n<<\nBUSY\n>>ATDП1\n<<\nBUSY");
}

TEST_F(ModemDialTest, WithoutAnOpenPortNothingIsSent) {
  port.Close();
  dial.Connect_ButtonClick();
  EXPECT_EQ(form.log, Texts{"box Ошибка!: Порт не открыт! (error)"});
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(Memo(), "");
}

TEST_F(ModemDialTest, ANumberThatOverrunsTheCommandBufferIsRefused) {
  form.SetText("TelNum_ComboBox", std::string(251, '1'));
  ModemSays({{0, "\r\nBUSY\r\n"}});
  dial.Connect_ButtonClick();
  ASSERT_EQ(port.written.size(), 1u);
  EXPECT_EQ(port.written[0].size(), 255u);
  form.log.clear();
  form.SetText("TelNum_ComboBox", std::string(252, '1'));
  dial.Connect_ButtonClick();
  EXPECT_EQ(port.written.size(), 1u);
  EXPECT_EQ(form.log, Texts{"box Ошибка!: Номер телефона длиннее 251 знака (error)"});
}

TEST_F(ModemDialTest, AnAnswerThatFillsItsBufferWithoutALineEndStopsTheDial) {
  ModemSays({{0, std::string(300, 'A')}});
  dial.Connect_ButtonClick();
  EXPECT_EQ(form.StatusText(0), kDown);
  EXPECT_EQ(form.messages, Texts{"Ответ модема длиннее 255 байт без конца строки"});
  EXPECT_EQ(Memo(), ">>ATD12345\n<<" + std::string(255, 'A'));
  ExpectEnded(false);
}


// The window's events run all through the wait, not only between the reads' time-outs, so
// "Отмена" is taken at once and the dial ends with it.
TEST_F(ModemDialTest, CancelEndsAWaitAtOnce) {
  port.ReplySilence();
  const std::uint64_t clickAt = clock.now + 9000;
  std::uint64_t clickedAt = 0;
  std::uint64_t lastEvents = clock.now;
  form.onProcessEvents = [&] {
    EXPECT_LE(clock.now - lastEvents, static_cast<std::uint64_t>(ReadStopPollMs));
    lastEvents = clock.now;
    if (clickedAt == 0 && clock.now >= clickAt) {
      clickedAt = clock.now;
      dial.Button1Click();
    }
  };
  dial.Connect_ButtonClick();
  ASSERT_NE(clickedAt, 0u);
  EXPECT_EQ(clock.now, clickedAt);
  EXPECT_EQ(Statuses(), (Texts{kWaiting, "Прервано пользователем"}));
  EXPECT_EQ(Memo(), ">>ATD12345");
  ExpectEnded(false);
}

TEST_F(ModemDialTest, CancelWithoutADialOnlySaysSoAndTheNextDialRuns) {
  dial.Button1Click();
  EXPECT_EQ(form.StatusText(0), "Прервано пользователем");
  EXPECT_TRUE(port.written.empty());
  ModemSays({{0, "\r\nCONNECT 9600\r\n"}});
  dial.Connect_ButtonClick();
  EXPECT_TRUE(Connected());
}

TEST_F(ModemDialTest, ASecondDialCannotStartInsideTheFirst) {
  ModemSays({{2500, "\r\nCONNECT 9600\r\n"}});
  int waits = 0;
  form.onProcessEvents = [&] {
    EXPECT_FALSE(form.Enabled("Connect_Button"));
    if (waits++ == 0) dial.Connect_ButtonClick();
  };
  dial.Connect_ButtonClick();
  EXPECT_EQ(port.written.size(), 1u);
  ExpectEnded(true);
  EXPECT_GT(waits, 0);
  EXPECT_EQ(form.Entries("Connect_Button"), (Texts{"Connect_Button off", "Connect_Button on"}));
}

TEST_F(ModemDialTest, APortThatGoesAwayEndsTheDial) {
  port.ReplySilence();
  form.onProcessEvents = [&] { port.Close(); };
  dial.Connect_ButtonClick();
  EXPECT_EQ(form.messages, Texts{"Порт не открыт!"});
  ExpectEnded(false);
}


TEST_F(ModemDialTest, TheListLoadsIntoTheBoxAndDeleteRemovesTheSelectedEntryOnly) {
  std::ofstream(listPath, std::ios::binary) << "111\r\n222\r\n333";
  dial.FormCreate();
  EXPECT_EQ(dial.Numbers(), (Texts{"111", "222", "333"}));
  EXPECT_EQ(form.ItemIndex("TelNum_ComboBox"), -1);
  dial.Delete_ButtonClick();  // nothing selected
  form.SetItemIndex("TelNum_ComboBox", 1);
  dial.Delete_ButtonClick();
  EXPECT_EQ(dial.Numbers(), (Texts{"111", "333"}));
  EXPECT_EQ(form.ItemCount("TelNum_ComboBox"), 2);
  EXPECT_EQ(form.ItemIndex("TelNum_ComboBox"), -1);
}

TEST_F(ModemDialTest, AFirstRunWithoutAListShowsNoneAndItsCloseMakesTheFile) {
  dial.FormCreate();
  EXPECT_TRUE(dial.Numbers().empty());
  EXPECT_TRUE(form.Entries("box").empty());
  dial.FormClose();
  EXPECT_TRUE(std::filesystem::exists(listPath));
  EXPECT_EQ(SavedList(), "");
}

TEST_F(ModemDialTest, AListTooLargeToReadIsSaidAndNeverWrittenOver) {
  const std::string big(kPhoneListLimit + 1, '1');
  std::ofstream(listPath, std::ios::binary) << big;
  dial.FormCreate();
  dial.FormShow();
  EXPECT_EQ(Statuses(), Texts{"Список номеров не прочитан: файл " + listPath.string() + " больше 64 КиБ, он не будет перезаписан"});
  dial.FormClose();
  EXPECT_EQ(SavedList(), big);
}

TEST_F(ModemDialTest, AddAppendsWhateverIsTypedAndCloseSavesIt) {
  dial.FormCreate();
  for (const char* number : {"8-495-1", "", "8-495-1", "Дом"}) {
    form.SetText("TelNum_ComboBox", number);
    dial.Add_ButtonClick();
  }
  EXPECT_EQ(dial.Numbers(), (Texts{"8-495-1", "", "8-495-1", "Дом"}));
  EXPECT_EQ(form.ItemCount("TelNum_ComboBox"), 4);
  EXPECT_EQ(form.Text("TelNum_ComboBox"), "Дом");  // the typed text stays
  // A line break would split the entry in the file.
  form.SetText("TelNum_ComboBox", "1\r\n2");
  dial.Add_ButtonClick();
  EXPECT_EQ(dial.Numbers().size(), 4u);
  EXPECT_EQ(form.Entries("box"), Texts{"box Ошибка!: Не могу добавить номер телефона (warning)"});
  dial.FormClose();
  EXPECT_EQ(SavedList(), "8-495-1\r\n\r\n8-495-1\r\n\xC4\xEE\xEC\r\n");
}

// A folder that holds the list's name cannot be replaced: the save fails whole, leaving
// nothing beside it, and the close goes on.
TEST_F(ModemDialTest, AListThatCannotBeSavedIsSaidAndLeavesNothing) {
  std::filesystem::create_directory(listPath);
  dial.FormClose();
  EXPECT_EQ(form.log, Texts{"box Ошибка!: Не могу сохранить номера телефонов (warning)"});
  EXPECT_TRUE(std::filesystem::is_directory(listPath));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace kamt
