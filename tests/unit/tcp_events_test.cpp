#include <gtest/gtest.h>

#include "setup/tcp_events.h"
#include "test_rig.h"

namespace kamt {
namespace {

class TcpEventsTest : public ::testing::Test {
 protected:
  TcpEventsTest() {
    rig.session.link.LinkSettings.Type = 1;
    InstallSocketHandlers(rig.session.link, rig.window);
    rig.socket.Open("192.168.0.1", 502);
  }
  test::TestRig rig;
  test::FakeWindow& w = rig.window;
};

TEST_F(TcpEventsTest, ConnectionUpEnablesTheSevenAndRestartsTheCounterArrivalsAreCounted) {
  rig.session.link.TransactionId = 77;
  rig.socket.AcceptConnection();
  EXPECT_EQ(w.StatusText(0), "Подключено к 192.168.0.1, порт:502");
  EXPECT_EQ(w.Entries("Button").size() + w.Entries("Read").size() + w.Entries("Write").size(), 7u);
  EXPECT_EQ(w.log[1], "Button1 on");
  EXPECT_EQ(w.log[4], "ReadConf_Button on");  // the socket's own order
  EXPECT_TRUE(w.Entries("Button2").empty());  // the archives wait for the current data
  EXPECT_EQ(rig.session.link.TransactionId, 0);
  rig.socket.Arrive({1, 2, 3});
  ClientSocket1Read(rig.session.link, rig.window);
  EXPECT_EQ(w.StatusText(2), "Получено байт: 3");
  EXPECT_TRUE(rig.session.link.TcpDataReady);
}

TEST_F(TcpEventsTest, LostConnectionSaysWhyAndOffersANewOne) {
  rig.socket.AcceptConnection();
  rig.socket.FailConnection("соединение закрыто прибором");
  EXPECT_EQ(w.StatusText(0), "Нет соединения с 192.168.0.1, порт:502: соединение закрыто прибором");
  EXPECT_FALSE(w.Enabled("Button1"));
  EXPECT_FALSE(w.Enabled("WriteTime_Button"));
  EXPECT_EQ(w.log.back(), "Connect shown");
}

TEST_F(TcpEventsTest, SocketLeftFromBeforeDoesNotDisturbASerialConnection) {
  rig.session.link.LinkSettings.Type = 0;
  w.SetStatusText(0, "COM1:9600:8:None:1");
  rig.socket.FailConnection("соединение закрыто прибором");
  EXPECT_EQ(w.StatusText(0), "COM1:9600:8:None:1");
}

}  // namespace
}  // namespace kamt
