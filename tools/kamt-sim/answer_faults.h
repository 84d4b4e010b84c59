#pragma once

#include <span>

#include "fault_plan.h"
#include "modbus_handler.h"

namespace kamt::sim {

// What the meter puts in its answer to one request under the faults that struck it: nothing
// when a fault keeps it from acting, the exception a fault asks for, or its own answer,
// reshaped by the wrong-function, write-echo and byte-count faults. An exception answer of the
// meter's own is never reshaped: it has no normal form to spoil.
Pdu AnswerUnderFaults(const FaultAction& fault, std::span<const std::uint8_t> request, ModbusHandler& handler,
                      Millis now);

}  // namespace kamt::sim
