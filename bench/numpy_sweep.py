#!/usr/bin/python3
"""What an engineer would write instead of screenfilter-cli sweep: the same
screen-pack model, vectorised with numpy in float64 (no extended precision,
no fault checks), over a flow rate x temperature grid of the worked example,
its table written with numpy.savetxt.

    /usr/bin/python3 bench/numpy_sweep.py [FLOWS TEMPERATURES] [OUT]

prints points per second (and per CPU second, for a shared machine) on stderr. Debian: python3-numpy.
"""
import sys
import time

import numpy as np

flows = int(sys.argv[1]) if len(sys.argv) > 1 else 500
temps = int(sys.argv[2]) if len(sys.argv) > 2 else 400
out = sys.argv[3] if len(sys.argv) > 3 else "/dev/null"

start, cpu = time.perf_counter(), time.process_time()
mesh = np.array([30, 30, 30, 30, 50, 50, 50, 50, 50, 50, 200, 200], dtype=float)
wire = np.array([0.02946, 0.02743, 0.02540, 0.02337, 0.02540, 0.02337,
                 0.02134, 0.01930, 0.01727, 0.01524, 0.00508, 0.00406])
D, rho = 2.0, 0.96
eta0, sr0, n, A, B = 9.55, 100.0, 0.469, 15180.0, 26.96
C = 4 * 1000 * 2.54 ** 2 / (3600 * 3.1415926)

Q, T = np.meshgrid(np.linspace(10, 120, flows), np.linspace(200, 320, temps), indexing="ij")
Q, T = Q.ravel(), T.ravel()
aT = np.exp(A / (T + 273.0) - B)
eta, sr = eta0 * aT, sr0 / aT
a = 2.54 / mesh - wire
fs = 2 ** (n + 3) * (1 / n + 3) ** n * C ** n * wire / (mesh ** (2 * n) * a ** (3 * n + 1))
k = sr ** (1 - n) * eta
drops = (k * (Q / (rho * D * D)) ** n)[:, None] * fs[None, :] / 1000
table = np.column_stack([Q, T, drops.sum(axis=1), drops])
np.savetxt(out, table, delimiter=",", fmt="%.17g")
seconds, cpu = time.perf_counter() - start, time.process_time() - cpu
print(f"numpy float64: {len(Q)} points in {seconds:.3f} s, {len(Q) / seconds:,.0f} points per second, "
      f"{len(Q) / cpu:,.0f} per CPU second", file=sys.stderr)
