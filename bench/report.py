#!/usr/bin/env python3
"""Turns the measurements of one run into the table the README quotes."""
import json
import platform
import sys
import time

exchanges = json.load(open(sys.argv[1]))
exchanges_glib = json.load(open(sys.argv[2]))
inprocess = json.load(open(sys.argv[3]))
whole = json.load(open(sys.argv[4]))
bench = {b["name"].split("/")[0]: b for b in inprocess["benchmarks"]}


def medians(results):
    """Of the repeated runs, the median of each benchmark."""
    return {b["run_name"].split("/")[0]: b for b in results["benchmarks"] if b.get("aggregate_name") == "median"}


bench.update(medians(exchanges))
glib = medians(exchanges_glib)


def rate(name):
    return bench[name]["exchanges_per_s"]


def ms(name):
    b = bench[name]
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}[b["time_unit"]]
    return b["real_time"] * scale


floor, ours, peer = rate("BM_RawSocketFloor"), rate("BM_TcpTransact"), rate("BM_Libmodbus")
rtu_floor, rtu = rate("BM_RtuRawSocketFloor"), rate("BM_RtuTcpTransact")
scan, scan_floor = whole["scan_s"], whole["scan_floor_s"]
archive, archive_floor, archive_file = ms("BM_ArchiveOverTcp"), ms("BM_ArchiveOverTcpFloor"), ms("BM_ArchiveFile1200")
pty, wire = ms("BM_ArchiveOverPty9600") / 1000, bench["BM_ArchiveOverPty9600"]["wire_s"]

rows = [
    ("Modbus TCP current-data exchanges/s (TcpTransact, kamt's event loop)", f"{ours:,.0f}", f"{ours / floor:.2f} of the raw-socket floor", "≥ 0.80", ours / floor >= 0.8),
    ("  libmodbus, same request and responder", f"{peer:,.0f}", f"ours / libmodbus {ours / peer:.2f}", "> 1.00", ours > peer),
    ("  raw-socket floor", f"{floor:,.0f}", "", "", None),
    ("  the same with the window program's GLib event loop", f"{glib['BM_TcpTransact']['exchanges_per_s']:,.0f}",
     f"{glib['BM_TcpTransact']['exchanges_per_s'] / glib['BM_RawSocketFloor']['exchanges_per_s']:.2f} of the floor, "
     f"{glib['BM_TcpTransact']['exchanges_per_s'] / glib['BM_Libmodbus']['exchanges_per_s']:.2f} of libmodbus", "", None),
    ("RTU over TCP (converter) current-data exchanges/s (RtuTcpTransact)", f"{rtu:,.0f}", f"{rtu / rtu_floor:.2f} of the raw-socket floor", "≥ 0.80", rtu / rtu_floor >= 0.8),
    ("  raw-socket floor, same request and responder", f"{rtu_floor:,.0f}", "", "", None),
    ("Search of 247 silent addresses, 9600 8N1 over a pty, window 100 ms", f"{scan:.2f} s", f"{scan / scan_floor:.3f} of 247 × (request's wire time + window) = {scan_floor:.2f} s", "≤ 1.10", scan / scan_floor <= 1.10),
    ("1200-record hourly archive over TCP, file included", f"{archive / 1000:.3f} s", f"{archive / archive_floor:.2f} of 1200 raw round trips", "≤ 1.5", archive / archive_floor <= 1.5),
    ("  the same without the file (formatted, flushed to disk)", f"{(archive - archive_file) / 1000:.3f} s", f"{(archive - archive_file) / archive_floor:.2f}", "", None),
    ("  1200 raw round trips to the same simulator", f"{archive_floor / 1000:.3f} s", "", "", None),
    ("  the same in the window program, \"Журнал обмена\" open", f"{bench['BM_ArchiveOverTcpWithMonitor']['with_monitor_ms'] / 1000:.3f} s",
     f"{bench['BM_ArchiveOverTcpWithMonitor']['with_to_without']:.3f} of the read with it closed", "≤ 1.05",
     bench["BM_ArchiveOverTcpWithMonitor"]["with_to_without"] <= 1.05),
    ("200-record hourly archive over a pty at 9600 bit/s, Delay 0", f"{pty:.2f} s", f"{pty / wire:.3f} of the wire time ({wire:.2f} s)", "≤ 1.15", pty / wire <= 1.15),
    ("CPU while waiting out the 3 s TCP limit", f"{whole['tcp_wait_cpu_s']:.3f} s", f"over {whole['tcp_wait_wall_s']:.2f} s", "< 0.1 s", whole["tcp_wait_cpu_s"] < 0.1),
    ("Exception answer's last byte to command end (pty)", f"{whole['exception_latency_ms']:.1f} ms", "median of 15", "< 50 ms", whole["exception_latency_ms"] < 50),
    ("Window program start to first shown window (offscreen)", f"{whole['gui_start_ms']:.0f} ms", "median of 5", "", None),
    ("  its peak memory", f"{whole['gui_peak_mb']:.0f} MB", "", "", None),
]

cpu = "unknown CPU"
try:
    cpu = [l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")][0]
except Exception:
    pass
print(f"Measured {time.strftime('%Y-%m-%d')} on {cpu}, {platform.system()} {platform.release()}\n")
print("| Measure | Value | Ratio | Goal | Met |")
print("|---|---|---|---|---|")
for name, value, ratio, goal, met in rows:
    mark = "" if met is None else ("yes" if met else "NO")
    print(f"| {name} | {value} | {ratio} | {goal} | {mark} |")
