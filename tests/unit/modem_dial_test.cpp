// The modem dialog's logic: the dial and the answers that end it, "Отмена", tel_numbers.ini.
#include <fstream>
#include <gtest/gtest.h>

#include "fake_clock.h"
#include "fake_serial_port.h"
#include "fake_window.h"
#include "link/serial_line.h"
#include "setup/modem_dial.h"
#include "setup/modem_dial_answer.h"
#include "setup/phone_list.h"
#include "temp_dir.h"
#include "text/text_file.h"

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
  // The dial is over: its button is back and a new dial may start.
  void ExpectEnded(bool connected) const {
    EXPECT_EQ(dial.result() == ModemDial::Result::Ok, connected);
    EXPECT_TRUE(form.Enabled("Connect_Button"));
    EXPECT_FALSE(dial.Dialling());
  }

  test::FakeClock clock;
  test::FakeSerialPort port{clock};
  test::FakeWindow form;
  test::TempDir dir;
  std::filesystem::path listPath = dir.path / "tel_numbers.ini";
  ModemDial dial{form, port, clock, listPath};
};

// Each answer ends the dial with its status; every keyword found sets the status in turn, so
// the later one wins; the echo alone does not end it; only the first complete answer counts.
TEST_F(ModemDialTest, EachAnswerEndsTheDialWithItsStatusAndResult) {
  const std::string longest = "\r\nCONNECT 9600 " + std::string(238, '.') + "\r\n";  // 255 bytes
  const std::tuple<Pieces, Texts, std::string> cases[] = {  // pieces, statuses after kWaiting, memo after ">>ATD12345"
      {{{0, "ATD12345\r"}, {5000, "\r\nCONNECT 9600\r\n"}}, {kGot, kUp}, "<<ATD12345\nCONNECT 9600"},
      // The later keyword wins and is the only outcome shown; the modem, which may be online, is
      // hung up (it does not answer the "+++" here).
      {{{0, "\r\nCONNECT 9600\r\n\r\nOK\r\n"}}, {kGot, kDown}, "<<\nCONNECT 9600\nOK\n>>+++"},
      {{{0, "\r\nconnect 9600\r\n"}}, {kGot}, "<<\nconnect 9600"},
      {{{0, longest}}, {kGot, kUp}, "<<\n" + longest.substr(2, 251)},
      {{{0, std::string(300, 'A')}}, {kDown}, "<<" + std::string(255, 'A')},
      {{{0, "\r\nRING\r\n"}, {1500, "\r\nCONNECT 9600\r\n"}}, {kGot}, "<<\nRING"}};
  for (const auto& [pieces, statuses, memo] : cases) {
    dial.FormShow();
    form.log.clear();
    form.SetText("Memo1", "");
    port.written.clear();
    ModemSays(pieces);
    dial.Connect_ButtonClick();
    Texts expected{kWaiting};
    expected.insert(expected.end(), statuses.begin(), statuses.end());
    EXPECT_EQ(Statuses(), expected) << memo;
    EXPECT_EQ(Memo(), ">>ATD12345\n" + memo);
    EXPECT_EQ(port.written.size(), memo.ends_with(">>+++") ? 2u : 1u) << "the command, and a hang-up's escape";
    ExpectEnded(statuses.back() == kUp);
  }
  EXPECT_EQ(form.messages, Texts{"Ответ модема длиннее 255 байт без конца строки"});
}

// The number goes out as typed, after a purge; one that overruns the command buffer, or no
// open port, sends nothing.
TEST_F(ModemDialTest, TheCommandGoesOutAsTypedAfterAPurge) {
  for (const auto& [number, command] : {std::pair{""s, "ATD\r"s}, {"T8,495 123", "ATDT8,495 123\r"},
                                        {"П1", "ATD\xCF" "1\r"}, {std::string(251, '1'), "ATD" + std::string(251, '1') + "\r"}}) {
    port.written.clear();
    port.calls.clear();
    ModemSays({{0, "\r\nBUSY\r\n"}});
    form.SetText("TelNum_ComboBox", number);
    dial.Connect_ButtonClick();
    EXPECT_EQ(port.written, (std::vector<std::vector<std::uint8_t>>{{command.begin(), command.end()}}));
    EXPECT_EQ(port.calls, (Texts{"purge", "write"}));
  }
  EXPECT_TRUE(Memo().starts_with(">>ATD\n<<\nBUSY\n>>ATDT8,495 123\n<<\nBUSY\n>>ATDП1\n<<\nBUSY\n")) << Memo();
  form.log.clear();
  form.SetText("TelNum_ComboBox", std::string(252, '1'));
  dial.Connect_ButtonClick();
  port.Close();
  dial.Connect_ButtonClick();
  EXPECT_EQ(form.log, (Texts{"box Ошибка!: Номер телефона длиннее 251 знака (error)",
                             "box Ошибка!: Порт не открыт! (error)"}));
  EXPECT_EQ(port.written.size(), 1u);
}

// The window's events run all through the wait, not only between the reads' time-outs, so
// "Отмена" is taken at once; a dial cannot start inside another; a port gone ends it.
TEST_F(ModemDialTest, CancelEndsAWaitAtOnceAndNoSecondDialStarts) {
  port.ReplySilence();
  const std::uint64_t clickAt = clock.now + 9000;
  std::uint64_t clickedAt = 0;
  std::uint64_t lastEvents = clock.now;
  form.onProcessEvents = [&] {
    EXPECT_LE(clock.now - lastEvents, static_cast<std::uint64_t>(ReadStopPollMs));
    EXPECT_FALSE(form.Enabled("Connect_Button"));
    lastEvents = clock.now;
    if (port.written.size() == 1) dial.Connect_ButtonClick();  // once more: a second dial would write
    if (clickedAt == 0 && clock.now >= clickAt) {
      clickedAt = clock.now;
      dial.Button1Click();
    }
  };
  dial.Connect_ButtonClick();
  EXPECT_EQ(clock.now, clickedAt);
  EXPECT_EQ(Statuses(), (Texts{kWaiting, "Прервано пользователем"}));
  EXPECT_EQ(Memo(), ">>ATD12345");
  EXPECT_EQ(port.written.size(), 1u);
  EXPECT_EQ(form.Entries("Connect_Button"), (Texts{"Connect_Button off", "Connect_Button on"}));
  ExpectEnded(false);

  port.ReplySilence();
  form.onProcessEvents = [&] { port.Close(); };
  dial.Connect_ButtonClick();
  EXPECT_EQ(form.messages, Texts{"Порт не открыт!"});
  ExpectEnded(false);
}

TEST_F(ModemDialTest, AListTooLargeToReadIsSaidAndNeverWrittenOver) {
  const std::string big(kPhoneListLimit + 1, '1');
  std::ofstream(listPath, std::ios::binary) << big;
  dial.FormCreate();
  dial.FormShow();
  EXPECT_EQ(Statuses(), Texts{"Список номеров не прочитан: файл " + listPath.string() + " больше 64 КиБ, он не будет перезаписан"});
  dial.FormClose();
  EXPECT_EQ(ReadFileBytes(listPath), big);
}

// A first run without a list makes the file; a folder that holds its name cannot be replaced:
// the save fails whole, leaving nothing beside it, and the close goes on.
TEST_F(ModemDialTest, AListThatCannotBeSavedIsSaidAndLeavesNothing) {
  dial.FormCreate();
  EXPECT_TRUE(dial.Numbers().empty() && form.log.empty());
  dial.FormClose();
  EXPECT_EQ(ReadFileBytes(listPath), "");
  std::filesystem::remove(listPath);
  std::filesystem::create_directory(listPath);
  dial.FormClose();
  EXPECT_EQ(form.log, Texts{"box Ошибка!: Не могу сохранить номера телефонов (warning)"});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace kamt
