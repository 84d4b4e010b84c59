#!/usr/bin/env python3
"""Turns the measurements of one run into the table the README quotes."""
import json
import platform
import subprocess
import sys
import time

inprocess = json.load(open(sys.argv[1]))
whole = json.load(open(sys.argv[2]))
rate = {b["name"].split("/")[0]: b["exchanges_per_s"] for b in inprocess["benchmarks"] if "exchanges_per_s" in b}

floor = rate["BM_RawSocketFloor"]
ours = rate["BM_TcpTransact"]
peer = rate["BM_Libmodbus"]

rows = [
    ("Modbus TCP current-data exchanges/s (TcpTransact)", f"{ours:,.0f}", f"{ours / floor:.2f} of the raw-socket floor", "≥ 0.80", ours / floor >= 0.8),
    ("  libmodbus, same request and responder", f"{peer:,.0f}", f"ours/libmodbus {ours / peer:.2f}", "> 1.00", ours > peer),
    ("  raw-socket floor", f"{floor:,.0f}", "", "", None),
    ("CPU while waiting out the 3 s TCP limit", f"{whole['tcp_wait_cpu_s']:.3f} s", f"over {whole['tcp_wait_wall_s']:.2f} s", "< 0.1 s", whole["tcp_wait_cpu_s"] < 0.1),
    ("Exception answer's last byte to command end (pty)", f"{whole['exception_latency_ms']:.1f} ms", "median of 15", "< 50 ms", whole["exception_latency_ms"] < 50),
]

cpu = "unknown"
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
