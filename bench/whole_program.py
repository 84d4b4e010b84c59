#!/usr/bin/env python3
"""Whole-program measurements of kamt, each against a peer this script plays itself, so that
what is timed is the tool and nothing else. Prints one JSON object of results."""
import json
import os
import resource
import select
import socket
import statistics
import subprocess
import sys
import tempfile
import time

KAMT = os.path.abspath(sys.argv[1])


def crc16(data):
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return bytes(data) + bytes([crc & 0xFF, crc >> 8])


def read_exactly(fd, n, limit=10.0):
    data = b""
    end = time.monotonic() + limit
    while len(data) < n and time.monotonic() < end:
        if select.select([fd], [], [], 0.1)[0]:
            data += os.read(fd, n - len(data))
    return data


def exception_latency(runs=15):
    """From the last byte of an exception answer to the end of the command, over a pty."""
    samples = []
    for _ in range(runs):
        master, slave = os.openpty()
        path = os.ttyname(slave)
        env = dict(os.environ, LC_ALL="C.UTF-8")
        proc = subprocess.Popen([KAMT, "--serial", path, "current"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, env=env, cwd="/tmp")
        request = read_exactly(master, 8)
        if len(request) != 8:
            proc.kill()
            raise SystemExit("kamt sent no request over the pseudo-terminal")
        os.write(master, crc16([1, 0x84, 2]))
        t0 = time.monotonic()
        proc.wait()
        samples.append((time.monotonic() - t0) * 1000)
        os.close(master)
        os.close(slave)
    return statistics.median(samples)


def cpu_while_waiting():
    """CPU seconds of a command that waits out the 3 s Modbus TCP limit."""
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    port = server.getsockname()[1]
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    proc = subprocess.Popen([KAMT, "--tcp", f"127.0.0.1:{port}", "current"], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, cwd="/tmp")
    connection, _ = server.accept()
    proc.wait()
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    connection.close()
    server.close()
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return cpu, wall


def silent_scan(addresses=247, baud=9600, window_ms=100):
    """A search of silent addresses over a pty at one line setting, against its floor: each
    address costs at least its request's time on the line (8 bytes of 10 bits) and the window."""
    master, slave = os.openpty()
    path = os.ttyname(slave)
    env = dict(os.environ, LC_ALL="C.UTF-8")
    start = time.monotonic()
    proc = subprocess.Popen([KAMT, "--serial", path, "scan", "--addresses", f"1-{addresses}", "--bauds", str(baud),
                             "--parities", "none", "--window", str(window_ms)],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env, cwd="/tmp")
    requests = 0
    while proc.poll() is None:  # nobody answers; the requests are taken off the line
        if select.select([master], [], [], 0.05)[0]:
            try:
                requests += len(os.read(master, 4096)) // 8
            except OSError:
                break
    wall = time.monotonic() - start
    os.close(master)
    os.close(slave)
    floor = addresses * (8 * 10 / baud + window_ms / 1000)
    return wall, floor


def window_start_up(gui, runs=5):
    """Start of the window program to its first shown window (offscreen), and its peak memory."""
    walls, peaks = [], []
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", KAMT_QUIT_WHEN_SHOWN="1", LC_ALL="C.UTF-8")
    work = tempfile.mkdtemp()
    for _ in range(runs):
        start = time.monotonic()
        proc = subprocess.Popen([gui], cwd=work, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(proc.pid, 0)
        walls.append((time.monotonic() - start) * 1000)
        peaks.append(usage.ru_maxrss / 1024)
    return statistics.median(walls), max(peaks)


def main():
    scan, scan_floor = silent_scan()
    latency = exception_latency()
    cpu, wall = cpu_while_waiting()
    start_ms, peak_mb = window_start_up(os.path.abspath(sys.argv[2]))
    print(json.dumps({"exception_latency_ms": latency, "tcp_wait_cpu_s": cpu, "tcp_wait_wall_s": wall,
                      "gui_start_ms": start_ms, "gui_peak_mb": peak_mb, "scan_s": scan, "scan_floor_s": scan_floor}))


main()
