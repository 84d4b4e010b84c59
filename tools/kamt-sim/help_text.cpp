#include "sim_options.h"

namespace kamt::sim {

std::string HelpText() {
  return R"(Usage: kamt-sim [options]
A simulated KAMT flow meter, or a bus or fleet of them: Modbus RTU on a pseudo-terminal,
Modbus TCP and RTU over TCP on 127.0.0.1. When ready it prints, one line each and in this
order, "serial /dev/pts/N", "tcp 127.0.0.1:PORT", "rtu-tcp 127.0.0.1:PORT" (each for the
transports it serves), with --fleet "meter I serial S [tcp 127.0.0.1:PORT] [address A]"
for each meter, then "ready". It runs until SIGTERM/SIGINT or --exit-after-ms.

Transports:
  --link PATH             make PATH a symlink to the serial device (removed on exit)
  --tcp PORT              also serve Modbus TCP on 127.0.0.1:PORT (0: any free port)
  --rtu-tcp PORT          serve plain RTU frames over TCP on 127.0.0.1:PORT (0: any free
                          port), as a serial-to-Ethernet converter; all meters of the bus
  --no-serial             no pseudo-terminal
  --address N             RTU address of a meter (default 1); repeat for more meters
  --addresses N,N,...     the same as a list: one meter per address on the bus
  --tcp-unit any|address  any (default): Modbus TCP serves the first meter as unit 0xFF, 0
                          or its address; address: a gateway, the unit id must be a meter's
                          address and other units get silence
  --baud N                pace serial answers at the line time of N bit/s (default: at once)
  --line BAUD:DPS         answer on the serial line only while it is set to BAUD, D data
                          bits, parity P (N/E/O), S stop bits, e.g. 19200:8E1. A Linux pty
                          keeps only the bit rate, the stop bits and the odd-parity flag
                          (it refuses even parity alone and reads back 8 data bits, no
                          parity): only these are compared

Fleet and time:
  --fleet N               N meters (up to 10000), each on a Modbus TCP port of its own (with
                          --tcp 0 any free ones, with --tcp P the ports P, P+1, ...) and the
                          first 247 on the bus at the addresses 1, 2, ... (or --addresses)
  --start "YYYY-MM-DD HH:MM:SS"   the meters' clock at start (default: the host's local time)
  --time-scale K          simulated seconds per real second (default 1)
  --answer-delay MS       every meter answers MS ms late
  --fleet-fault I:MODE    meter I (from 0) gets the fault MODE of its own (repeatable)
  Standard input: "advance SECONDS" moves every meter's time on at once; "ok" follows.

Meter:
  --serial-number N       serial number of the first meter (default 1234); the next meters
                          count up from it
  --serial-numbers N,...  one serial number per meter instead
  --hour-records N        hourly archive capacity (default 720); full at start
  --day-records N         daily archive capacity (default 62)
  --month-records N       monthly archive capacity (default 24)
  --sensor-type N         0 none, 1 pressure, 2 temperature (default 1)
  --status HEX            32-bit status word (default 00000001)
  --plus-decimals N       decimals of the forward counter (default 2)
  --minus-decimals N      decimals of the reverse counter (default 2)

Faults (--fault may be repeated):
  --fault silent | exception:N | delay:MS          both transports
  --fault noise:N         N random bytes instead of the answer, never a frame
  --fault endless[:MS]    instead of the answer a byte every MS ms (default 300),
                          never a whole frame, until the next request
  --fault crc | short                              serial
  --fault wrong-transaction | wrong-protocol | wrong-unit | wrong-length
          | split:MS | two-frames | late:MS | drop  TCP
  --fault reset           TCP: reset the connection (RST) instead of answering
  --fault archive-fail-first:K | archive-fail-index:I
  --fault wrong-address[:N]   serial: answer from address N (default: the meter's + 1)
  --fault wrong-function:F    a well-formed answer of function F (0x03, 0x04, 0x10,
                          0x46-0x48; decimal or 0x hex) instead of the request's
  --fault write-echo:bare|start|count   a write's answer is the function code alone,
                          or echoes start + 1 or count + 1; the write is carried out
  --fault byte-count:N    a 0x03/0x04 answer whose byte count says N (data unchanged)
  --fault duplicate:MS    the answer, then the same bytes again MS ms later, whatever
                          came meanwhile (over TCP with the same transaction id)
  --fault flood           from the first request on, junk bytes for ever, as fast as the
                          line or connection takes them; nothing is answered any more
  --fault-times N         the general faults strike only the first N requests (default: all)
  --fault-skip N          the general faults spare the first N requests they apply to
  --archive-fault silent|crc|exception|flood   how a failing archive request fails
                          (default crc; flood: junk for ever from then on, as --fault flood)

Modem (serial line):
  --modem                 a Hayes modem in front of the meter
  --modem-echo on|off     echo in command mode (default on)
  --dial-delay MS         time to answer a dial (default 300)
  --busy NUMBER           answer BUSY when NUMBER is dialled (repeatable)
  --no-carrier NUMBER     answer NO CARRIER (repeatable)
  --no-dialtone NUMBER    answer NO DIALTONE (repeatable)
  --connect-ok NUMBER     answer CONNECT 9600 and OK at once, and go online (repeatable)
  --modem-silent          never answer a dial
  --guard-ms MS           escape guard time around "+++" (default 900)

Other:
  --exit-after-ms N       exit after N ms
  --verbose               trace requests and answers on stderr
  --help                  this text
)";
}

}  // namespace kamt::sim
