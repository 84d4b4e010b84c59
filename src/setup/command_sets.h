#pragma once

namespace kamt {

// The command buttons a connection change sets, each group in the order its buttons are set.

// A serial port opened (or a modem connected).
inline constexpr const char* kConnectSet[] = {"Button1",         "Button5",          "Button6",        "ReadTime_Button",
                                              "WriteTime_Button", "ReadConf_Button", "WriteConf_Button"};
// A TCP connection made: the same seven, in the order the socket's handler sets them.
inline constexpr const char* kTcpConnectSet[] = {"Button1",          "Button5",         "Button6",        "ReadConf_Button",
                                                 "WriteConf_Button", "ReadTime_Button", "WriteTime_Button"};
// A dial that failed: the clock and configuration buttons keep their state.
inline constexpr const char* kFailedDialSet[] = {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6"};
// A connection broken.
inline constexpr const char* kDisconnectSet[] = {"Button1",         "Button2",          "Button3",         "Button4",
                                                 "Button5",         "Button6",          "ReadConf_Button", "WriteConf_Button",
                                                 "ReadTime_Button", "WriteTime_Button"};

}  // namespace kamt
