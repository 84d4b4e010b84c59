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
  window.ProcessEvents();
  EXPECT_EQ(runs, 1);
}

TEST(ConsoleProgress, CounterLineEndsBeforeAMessageAndAtTheEnd) {
  std::ostringstream err;
  ConsoleWindow window(err);
  window.SetProgressStream(&err);
  window.SetProgress(0, 0);
  EXPECT_EQ(err.str(), "") << "no line was begun";
  window.SetProgress(0, 3);
  window.SetProgress(1, 3);
  window.ShowMessage("Ошибка CRC!");
  window.SetProgress(2, 3);
  window.SetProgress(0, 0);
  window.SetProgress(0, 0);
  EXPECT_EQ(err.str(), "\r0/3\r1/3\nОшибка CRC!\n\r2/3\n");
}

}  // namespace
}  // namespace kamt
