#!/usr/bin/env python3
"""The fleet collection measured: 500 simulated meters answering 100 ms late, each with 24 new
hourly records, 32 at once. kamt collect (storing into SQLite) against its floor, then the same
reads by a raw asyncio script and by pymodbus's asyncio client, in this run.
Usage: fleet_collect.py KAMT KAMT_SIM RESULT_JSON        prints the table of the README"""
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

KAMT, SIM = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
METERS, DELAY_MS, CONCURRENCY, NEW_RECORDS = 500, 100, 32, 24
HERE = os.path.dirname(os.path.abspath(__file__))


def measured(command, cwd):
    """Wall seconds, CPU seconds, peak memory in MB and standard output of one program."""
    start = time.monotonic()
    proc = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    out = proc.stdout.read()
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"{command[0]} failed: {out}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024, out


def collect(work, sim, ports):
    """The measured collection and the two peers against the fleet of `sim`."""
    fleet = os.path.join(work, "fleet.txt")
    with open(fleet, "w") as f:
        f.writelines(f"m{i} tcp=127.0.0.1:{port} archives=hourly depth=1\n" for i, port in enumerate(ports))
    # The first poll stores the newest hourly record of each meter; a day later 24 are new.
    print("preparing: the newest hourly record of each meter...", file=sys.stderr)
    measured([KAMT, "collect", fleet, "--once"], work)
    sim.stdin.write(f"advance {NEW_RECORDS * 3600}\n")
    sim.stdin.flush()
    while sim.stdout.readline().strip() != "ok":
        pass
    db = os.path.join(work, "fleet.db")
    before = sqlite3.connect(db).execute("SELECT MAX(id) FROM polls").fetchone()[0]
    wall, cpu, peak, _ = measured([KAMT, "collect", fleet, "--once", "--concurrency", str(CONCURRENCY)], work)
    requests, stored = sqlite3.connect(db).execute(
        "SELECT SUM(requests), SUM(records_stored) FROM polls WHERE id > ?", (before,)).fetchone()
    result = {"meters": METERS, "requests": requests, "stored": stored, "floor_s": requests * DELAY_MS / 1000 / CONCURRENCY,
              "kamt": {"wall_s": wall, "cpu_s": cpu, "peak_mb": peak}}
    for name, script in (("raw_asyncio", "fleet_peer_raw.py"), ("pymodbus", "fleet_peer_pymodbus.py")):
        wall, cpu, peak, out = measured(["/usr/bin/python3", os.path.join(HERE, script), fleet, str(CONCURRENCY),
                                         str(NEW_RECORDS + 1)], work)
        result[name] = {"wall_s": wall, "cpu_s": cpu, "peak_mb": peak, "requests": int(out)}
    return result


def main():
    work = tempfile.mkdtemp(prefix="kamt-fleet-bench-")
    # The meters' clocks start in the middle of an hour, so no record is logged while measured.
    sim = subprocess.Popen([SIM, "--fleet", str(METERS), "--tcp", "0", "--no-serial", "--answer-delay", str(DELAY_MS),
                            "--start", "2026-03-10 10:30:00"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True)
    ports = []
    for line in sim.stdout:
        if line.startswith("meter "):
            ports.append(line.split("tcp 127.0.0.1:")[1].split()[0])
        if line.strip() == "ready":
            break
    try:
        result = collect(work, sim, ports)
    finally:
        sim.terminate()
        sim.wait()
        shutil.rmtree(work, ignore_errors=True)
    with open(sys.argv[3], "w") as f:
        json.dump(result, f)
    report(result)


def report(r):
    floor, k = r["floor_s"], r["kamt"]
    print(f"\n{r['meters']} meters answering {DELAY_MS} ms late, {NEW_RECORDS} new hourly records each, {CONCURRENCY} at once: "
          f"{r['requests']} requests, floor {floor:.1f} s (requests x {DELAY_MS} ms / {CONCURRENCY})\n")
    print("| Collection | Wall | Of the floor | CPU | Peak memory | Goal | Met |")
    print("|---|---|---|---|---|---|---|")
    met = k["wall_s"] / floor <= 1.05
    print(f"| kamt collect, {r['stored']} records stored in SQLite | {k['wall_s']:.1f} s | {k['wall_s'] / floor:.3f} | "
          f"{k['cpu_s']:.2f} s | {k['peak_mb']:.0f} MB | ≤ 1.05; CPU < 1 s, < 50 MB | "
          f"{'yes' if met else 'no'}; {'yes' if k['cpu_s'] < 1 else 'no'}, {'yes' if k['peak_mb'] < 50 else 'no'} |")
    for name, label in (("raw_asyncio", "raw Modbus TCP frames on asyncio (bench/fleet_peer_raw.py), nothing stored"),
                        ("pymodbus", "pymodbus's asyncio client (bench/fleet_peer_pymodbus.py), nothing stored")):
        p = r[name]
        print(f"| {label} | {p['wall_s']:.1f} s | {p['wall_s'] / floor:.3f} | {p['cpu_s']:.2f} s | {p['peak_mb']:.0f} MB |  |  |")


main()
