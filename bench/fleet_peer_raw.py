#!/usr/bin/env python3
"""The collection as a user could script it: raw Modbus TCP frames on asyncio, one connection
per meter, CONCURRENCY at once; reads the current data, then ARCHIVE_RECORDS hourly records from
the newest back, stores nothing. Usage: fleet_peer_raw.py FLEET_FILE CONCURRENCY ARCHIVE_RECORDS"""
import asyncio
import struct
import sys


async def exchange(reader, writer, tid, pdu):
    writer.write(struct.pack(">HHHB", tid, 0, len(pdu) + 1, 0xFF) + pdu)
    header = await reader.readexactly(7)
    return await reader.readexactly(struct.unpack(">H", header[4:6])[0] - 1)


async def meter(port, records, gate):
    async with gate:
        reader, writer = await asyncio.open_connection("127.0.0.1", port)
        current = await exchange(reader, writer, 1, bytes([0x04, 0x10, 0x00, 0x00, 0x30]))
        count = struct.unpack(">H", current[2 + 2 * 30:4 + 2 * 30])[0]
        for n, index in enumerate(range(count - 1, count - 1 - records, -1)):
            answer = await exchange(reader, writer, n + 2, bytes([0x46, index >> 8, index & 0xFF, 0]))
            assert answer[0] == 0x46 and len(answer) >= 43
        writer.close()
        return 1 + records


async def main():
    ports = [int(line.split("tcp=127.0.0.1:")[1].split()[0]) for line in open(sys.argv[1]) if "tcp=" in line]
    gate = asyncio.Semaphore(int(sys.argv[2]))
    done = await asyncio.gather(*(meter(p, int(sys.argv[3]), gate) for p in ports))
    print(sum(done))


asyncio.run(main())
