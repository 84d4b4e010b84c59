#include "e2e_fixture.h"

namespace kamt::test {
namespace {

class CurrentOverTcp : public E2eTest {};

TEST_F(CurrentOverTcp, SettingsFileOfTheWorkingDirectoryChoosesTheMeter) {
  StartSim({"--no-serial", "--tcp", "0", "--serial-number", "808"});
  std::ofstream(dir.path / "Vedan_modbus.ini", std::ios::binary)
      << "[Communication]\r\nType=1\r\n[Ethernet]\r\nIP_Addr=127.0.0.1\r\nPort=" << Sim().TcpPort() << "\r\n";
  const ProgramResult r = Kamt({"current"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Lines(r.out).at(7), "Зав. номер: 808");
}

struct TcpFault {
  const char* fault;
  const char* err;  // what kamt prints, after the message boxes
  int exitCode;
};

void PrintTo(const TcpFault& c, std::ostream* os) { *os << c.fault; }

class CurrentOverTcpFault : public CurrentOverTcp, public ::testing::WithParamInterface<TcpFault> {};

TEST_P(CurrentOverTcpFault, IsReportedAndNothingHangs) {
  StartSim({"--no-serial", "--tcp", "0", "--fault", GetParam().fault});
  const ProgramResult r = Kamt(Tcp({"current"}));
  EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
  EXPECT_EQ(r.err, GetParam().err);
  EXPECT_LT(r.elapsedMs, 20000);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CurrentOverTcpFault,
    ::testing::Values(TcpFault{"silent", "Чтение данных\nkamt: no answer within 3 s\n", 1},
                      TcpFault{"late:3500", "Чтение данных\nkamt: no answer within 3 s\n", 1},
                      TcpFault{"wrong-transaction", "Чтение данных\nНеправильный идентификатор пакета!\n", 1},
                      TcpFault{"wrong-protocol", "Чтение данных\nНеправильный идентификатор протокола!\n", 1},
                      TcpFault{"wrong-unit", "Чтение данных\nНеправильный идентификатор устройства!\n", 1},
                      TcpFault{"wrong-length", "Чтение данных\nНеправильная длина пакета!\n", 1},
                      TcpFault{"split:400", "", 0}, TcpFault{"two-frames", "", 0},
                      TcpFault{"exception:4", "Ошибка устройства!\nОшибка чтения\nПолучено байт: 9\n", 1}),
    [](const auto& c) { return ParamName(c.param.fault); });

TEST_F(CurrentOverTcp, RefusedConnection) {
  StartSim({"--no-serial", "--tcp", "0"});
  const std::string address = Sim().TcpAddress();
  Sim().Kill();
  const ProgramResult r = Kamt({"--tcp", QString::fromStdString(address), "current"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Has(r.err, "соединение отклонено")) << r.err;
}

}  // namespace
}  // namespace kamt::test
