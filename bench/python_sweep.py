#!/usr/bin/python3
"""screenfilter.sweep against screenfilter-cli sweep over the same grid: the
worked example over flow rate x temperature, 1000 x 1000 points by default,
the command line's table written to /dev/null. Prints the best of several
runs of each, on all cores, and their ratio.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_sweep.py \\
        build/src/cli/screenfilter-cli [RUNS] [FLOWS TEMPERATURES]
"""
import os
import subprocess
import sys
import tempfile
import time

import numpy as np

import screenfilter

cli = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
flows = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
temps = int(sys.argv[4]) if len(sys.argv) > 4 else 1000

with tempfile.TemporaryDirectory() as folder:
    case = os.path.join(folder, "pack.sfcase")
    subprocess.run([cli, "init", case], check=True)
    command = [cli, "sweep", case, "--vary", f"flow_rate=10:120:{flows}", "--vary",
               f"temperature=200:320:{temps}", "-o", "/dev/null"]
    grid = {"flow_rate": np.linspace(10, 120, flows), "temperature": np.linspace(200, 320, temps)}

    cli_best = python_best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, check=True)
        cli_best = min(cli_best, time.perf_counter() - start)
        start = time.perf_counter()
        table = screenfilter.sweep(case, **grid)
        python_best = min(python_best, time.perf_counter() - start)
    points = len(table["total"])
    print(f"{points} points, best of {runs}: screenfilter-cli sweep -o /dev/null {cli_best:.3f} s, "
          f"screenfilter.sweep {python_best:.3f} s, ratio {python_best / cli_best:.2f}")
