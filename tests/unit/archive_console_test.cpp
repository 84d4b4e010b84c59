#include <gtest/gtest.h>

#include <sstream>

#include "cli/console_window.h"

namespace kamt {
namespace {

// Ctrl+C during an archive read on the command line: the request is kept until the window
// next processes events, runs the handler there once, and is refused when nobody takes it.
TEST(ConsoleInterrupt, TakenOnlyWhileAHandlerIsSetAndRunOnce) {
  std::ostringstream err;
  ConsoleWindow window(err);
  EXPECT_FALSE(RequestConsoleInterrupt()) << "nothing takes it: the program should end";
  int runs = 0;
  window.SetInterruptHandler([&] { ++runs; });
  window.ProcessEvents();
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(RequestConsoleInterrupt());
  EXPECT_TRUE(RequestConsoleInterrupt()) << "a second one before it was taken is the same one";
  window.ProcessEvents();
  window.ProcessEvents();
  EXPECT_EQ(runs, 1);
  window.SetInterruptHandler(nullptr);
  EXPECT_FALSE(RequestConsoleInterrupt());
}

// The counter line is begun only by a count, and ended once, before a message or at the end.
TEST(ConsoleProgress, CounterLineEndsBeforeAMessageAndAtTheEnd) {
  std::ostringstream err;
  ConsoleWindow window(err);
  window.SetProgressStream(&err);
  for (const auto& [done, total] : {std::pair{0, 0}, {0, 3}, {1, 3}}) window.SetProgress(done, total);
  window.ShowMessage("Ошибка CRC!");
  for (const auto& [done, total] : {std::pair{2, 3}, {0, 0}, {0, 0}}) window.SetProgress(done, total);
  EXPECT_EQ(err.str(), "\r0/3\r1/3\nОшибка CRC!\n\r2/3\n");
}

}  // namespace
}  // namespace kamt
