#include "meter_groups_fixture.h"

namespace kamt::test {
namespace {

class CommOverBoth : public OverBothTransports {};

TEST_P(CommOverBoth, WrittenSettingsAreReadBackAndTheOthersKept) {
  EXPECT_EQ(Run({"comm", "read"}).out,
            "Сетевой номер: 1\nСкорость: 9600\nБиты данных: 8\nЧетность: Нет\nСтоп биты: 1\nТаймаут: 5 мс\n"
            "IP адрес: 192.168.0.10\nПорт: 502\n");
  const ProgramResult w = Run({"comm", "write", "address=247", "baud=38400", "parity=Маркер", "stop-bits=2",
                               "timeout=100 мс", "ip=010.0.0.0x0A", "port=4464"});
  ASSERT_EQ(w.exitCode, 0) << w.err;
  EXPECT_EQ(w.out, "Запись выполнена\n");
  const ProgramResult r = Run({"comm", "read"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "Сетевой номер: 247\nСкорость: 38400\nБиты данных: 8\nЧетность: Маркер\nСтоп биты: 2\nТаймаут: 100 мс\n"
            "IP адрес: 8.0.0.10\nПорт: 4464\n");
}

INSTANTIATE_TEST_SUITE_P(Transports, CommOverBoth, ::testing::Values("serial", "tcp"), TransportName);

}  // namespace
}  // namespace kamt::test
