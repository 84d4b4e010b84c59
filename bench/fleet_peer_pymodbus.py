#!/usr/bin/env python3
"""The same collection as fleet_peer_raw.py on pymodbus's asyncio client (Debian's
python3-pymodbus), the meter's archive function 0x46 as a custom message.
Usage: fleet_peer_pymodbus.py FLEET_FILE CONCURRENCY ARCHIVE_RECORDS"""
import asyncio
import logging
import struct
import sys

from pymodbus.client import AsyncModbusTcpClient
from pymodbus.pdu import ModbusRequest, ModbusResponse


class ArchiveResponse(ModbusResponse):
    function_code = 0x46
    _rtu_frame_size = 46

    def decode(self, data):
        self.record = data[2:42]


class ArchiveRequest(ModbusRequest):
    function_code = 0x46
    _rtu_frame_size = 6

    def __init__(self, index=0, **kwargs):
        super().__init__(**kwargs)
        self.index = index

    def encode(self):
        return struct.pack(">HB", self.index, 0)


async def meter(port, records, gate):
    async with gate:
        client = AsyncModbusTcpClient("127.0.0.1", port=port, timeout=3, retries=0)
        await client.connect()
        # The connection's protocol decodes the answers with a framer of its own.
        client.protocol.framer.decoder.register(ArchiveResponse)
        current = await client.read_input_registers(0x1000, 48, slave=0xFF)
        count = current.registers[30]
        for index in range(count - 1, count - 1 - records, -1):
            answer = await client.execute(ArchiveRequest(index, unit=0xFF))
            assert len(answer.record) == 40
        await client.close()
        return 1 + records


async def main():
    logging.disable(logging.CRITICAL)
    ports = [int(line.split("tcp=127.0.0.1:")[1].split()[0]) for line in open(sys.argv[1]) if "tcp=" in line]
    gate = asyncio.Semaphore(int(sys.argv[2]))
    done = await asyncio.gather(*(meter(p, int(sys.argv[3]), gate) for p in ports))
    print(sum(done))


asyncio.run(main())
