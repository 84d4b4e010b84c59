#pragma once

#include <cstddef>
#include <cstdint>

// The numbers of the meter's Modbus protocol, named once: function codes, frame and answer
// lengths, the TCP unit identifier, the register blocks and the archive record.
namespace kamt::modbus {

// Function codes the master sends. 0x46..0x48 are the meter's own (user-defined range).
inline constexpr std::uint8_t kReadHoldingRegisters = 0x03;
inline constexpr std::uint8_t kReadInputRegisters = 0x04;
inline constexpr std::uint8_t kWriteMultipleRegisters = 0x10;
inline constexpr std::uint8_t kHourlyArchive = 0x46;
inline constexpr std::uint8_t kDailyArchive = 0x47;
inline constexpr std::uint8_t kMonthlyArchive = 0x48;
// An exception answer carries the request's function code with this bit set.
inline constexpr std::uint8_t kExceptionBit = 0x80;

constexpr bool IsArchiveFunction(std::uint8_t function) {
  return function == kHourlyArchive || function == kDailyArchive || function == kMonthlyArchive;
}
constexpr bool IsRegisterRead(std::uint8_t function) {
  return function == kReadHoldingRegisters || function == kReadInputRegisters;
}

// Modbus TCP: the meter answers unit 0xFF; a gateway in front of an RS485 bus wants the
// meter's address instead.
inline constexpr std::uint8_t kMeterUnitId = 0xFF;
inline constexpr std::size_t kMbapHeaderSize = 7;  // transaction, protocol, length, unit

// Serial (RTU) answer lengths: address and CRC around the PDU.
inline constexpr std::size_t kRtuOverhead = 3;        // address + two CRC bytes
constexpr int RegisterAnswerLength(int count) { return 5 + 2 * count; }  // address, function, byte count, data, CRC
inline constexpr int kWriteAnswerLength = 8;          // address, function, start, count, CRC
inline constexpr int kExceptionFrameLength = 5;       // address, function | 0x80, code, CRC

// An archive answer: function, two bytes the master does not examine, the 40-byte record.
inline constexpr std::size_t kArchiveRecordSize = 40;
inline constexpr std::size_t kArchiveRecordOffset = 3;
inline constexpr int kArchiveAnswerLength = 1 + 3 + static_cast<int>(kArchiveRecordSize) + 2;  // 46
// Over TCP the archive request keeps a fourth byte after the index, always 0.
inline constexpr std::size_t kTcpArchiveRequestData = 3;

// The most a transport keeps of what arrives while nobody reads it (a line flooded with junk
// during a long pause, a peer that sends unasked): a Modbus answer is at most 256 bytes on the
// serial line and 260 over TCP, so 64 KiB holds any answer whole many times over and costs
// nothing. What waits beyond it stays with the system, whose own buffer is bounded too, and is
// discarded before the next request.
inline constexpr std::size_t kReceiveBufferLimit = 64 * 1024;

// Register blocks: first register and count.
inline constexpr std::uint16_t kCommParamsFirst = 0x0000;   // communication parameters
inline constexpr std::uint16_t kCommParamsCount = 8;
inline constexpr std::uint16_t kClockFirst = 0x0008;        // the meter clock
inline constexpr std::uint16_t kClockCount = 7;
inline constexpr std::uint16_t kConfigFirst = 0x0008;       // the configuration block, clock included
inline constexpr std::uint16_t kConfigCount = 34;
inline constexpr std::uint16_t kConfigWriteFirst = 0x000F;  // a write leaves the clock alone
inline constexpr std::uint16_t kConfigWriteCount = 27;
inline constexpr std::uint16_t kCurrentDataFirst = 0x1000;  // input registers
inline constexpr std::uint16_t kCurrentDataCount = 48;

}  // namespace kamt::modbus
