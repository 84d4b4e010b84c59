#include "meter_groups_fixture.h"

namespace kamt::test {
namespace {

class CommOverBoth : public OverBothTransports {};

TEST_P(CommOverBoth, ReadShowsTheMetersOwnSettings) {
  const ProgramResult r = Run({"comm", "read"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "Сетевой номер: 1\nСкорость: 9600\nБиты данных: 8\nЧетность: Нет\nСтоп биты: 1\nТаймаут: 5 мс\n"
            "IP адрес: 192.168.0.10\nПорт: 502\n");
}

TEST_P(CommOverBoth, WrittenSettingsAreReadBackAndTheOthersKept) {
  const ProgramResult w = Run({"comm", "write", "address=247", "baud=38400", "parity=Маркер", "stop-bits=2",
                               "timeout=100 мс", "ip=010.0.0.0x0A", "port=70000"});
  ASSERT_EQ(w.exitCode, 0) << w.err;
  EXPECT_EQ(w.out, "Запись выполнена\n");
  const ProgramResult r = Run({"comm", "read"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "Сетевой номер: 247\nСкорость: 38400\nБиты данных: 8\nЧетность: Маркер\nСтоп биты: 2\nТаймаут: 100 мс\n"
            "IP адрес: 8.0.0.10\nПорт: 4464\n");
}

TEST_P(CommOverBoth, AnAddressAboveOneByteSendsNothing) {
  const ProgramResult w = Run({"comm", "write", "address=256", "baud=1200"});
  EXPECT_EQ(w.exitCode, 1);
  EXPECT_EQ(w.err, "Ошибка ввода сетевого номера\n");
  EXPECT_EQ(LineStarting(Run({"comm", "read"}).out, "Скорость: "), "Скорость: 9600");
}

TEST_P(CommOverBoth, AValueNotInTheListIsAUsageError) {
  const ProgramResult r = Run({"comm", "write", "baud=115200"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("1200 | 2400 | 4800 | 9600 | 19200 | 38400"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Transports, CommOverBoth, ::testing::Values("serial", "tcp"), TransportName);

}  // namespace
}  // namespace kamt::test
