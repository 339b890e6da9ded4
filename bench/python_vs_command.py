#!/usr/bin/python3
"""Times solving through the Python package against `qmlp solve`, in the
same run, on the shared netlib-large set (or the MPS files given).

    bench/python_vs_command.py [--build BUILD] [--repeat N] [FILE.mps.gz ...]

For every instance, alternately: the whole `qmlp solve FILE` process (wall
time; the listing goes to /dev/null), and the call qmlp.solve(FILE) in this
interpreter (wall time of the call, which also writes and reads back
PRIMALOUT and DUALOUT and turns every table into a DataFrame).  Prints the
median of each, their ratio and the objectives, then the geometric mean of
the ratios; and, once, what starting an interpreter and importing the
package costs, which a script pays once however many problems it solves.
The package is taken from BUILD/python (default build/python).
"""

import argparse
import glob
import math
import os
import resource
import statistics
import subprocess
import sys
import time
import warnings

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def geometric_mean(values):
    return math.exp(sum(math.log(v) for v in values) / len(values))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("files", nargs="*")
    args = parser.parse_args()
    shared = os.environ.get("QMLP_SHARED_DIR", os.path.join(ROOT, "..", "shared"))
    files = args.files or sorted(glob.glob(os.path.join(shared, "bench", "netlib-large", "*.mps.gz")))
    if not files:
        sys.exit("no instances: give MPS files or set QMLP_SHARED_DIR")
    package = os.path.join(args.build, "python")
    sys.path.insert(0, package)
    import qmlp

    # The log's warnings are the same in both runs; only the times matter here.
    warnings.simplefilter("ignore", qmlp.QmlpWarning)

    command = os.path.join(args.build, "qmlp")
    print(f"{'instance':<10} {'command s':>10} {'python s':>10} {'ratio':>6} {'cmd cpu s':>10} {'py cpu s':>10} {'ratio':>6}"
          "  objective (command / python)")
    wall_ratios, cpu_ratios = [], []
    for path in files:
        name = os.path.basename(path).split(".")[0]
        times = {"command": [], "python": [], "command cpu": [], "python cpu": []}
        command_objective = python_objective = None
        for _ in range(args.repeat):
            cpu = children_cpu()
            start = time.perf_counter()
            done = subprocess.run([command, "solve", path], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            times["command"].append(time.perf_counter() - start)
            times["command cpu"].append(children_cpu() - cpu)
            for line in done.stderr.splitlines():
                if line.startswith("_QMLP_: "):
                    fields = dict(w.split("=", 1) for w in line[8:].split() if "=" in w)
                    command_objective = fields.get("OBJECTIVE")
            cpu = time.process_time()
            start = time.perf_counter()
            result = qmlp.solve(path)
            times["python"].append(time.perf_counter() - start)
            times["python cpu"].append(time.process_time() - cpu)
            python_objective = result.objective
        median = {key: statistics.median(values) for key, values in times.items()}
        wall = median["python"] / median["command"]
        cpu = median["python cpu"] / median["command cpu"]
        wall_ratios.append(wall)
        cpu_ratios.append(cpu)
        print(
            f"{name:<10} {median['command']:>10.3f} {median['python']:>10.3f} {wall:>6.3f}"
            f" {median['command cpu']:>10.3f} {median['python cpu']:>10.3f} {cpu:>6.3f}"
            f"  {command_objective} / {python_objective!r}"
        )
    print(f"geometric mean of python/command: wall {geometric_mean(wall_ratios):.3f}, cpu {geometric_mean(cpu_ratios):.3f}")

    start = time.perf_counter()
    subprocess.run([sys.executable, "-c", "import qmlp"], env=dict(os.environ, PYTHONPATH=package), check=True)
    print(f"starting {sys.executable} and importing qmlp (once per script): {time.perf_counter() - start:.3f} s")


if __name__ == "__main__":
    main()
