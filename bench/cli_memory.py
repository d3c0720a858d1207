#!/usr/bin/env python3
"""Peak memory of one `quillmarsh-cli analyze` run against the bytes it read.

    bench/cli_memory.py CLI [analyze arguments...]

Runs CLI analyze with the arguments and --dump units, takes the peak resident set of the child
from the kernel (ru_maxrss) and its CPU time, and sums the sizes of the distinct files that the
run's units name (project files and every header they include, each once). Prints one line:

    peak_MB=... MB_read=... files_read=... peak_over_read=... cpu_s=... units=...

The unit list that --dump units prints costs a little memory of its own (no tokens, no nodes).
"""
import json
import os
import resource
import subprocess
import sys


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip())
        return 2
    cli, args = sys.argv[1], sys.argv[2:]
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    proc = subprocess.run([cli, "analyze", *args, "--dump", "units"], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if proc.returncode != 0:
        print("analyze failed with status", proc.returncode)
        return 1
    doc = json.loads(proc.stdout)
    paths = set()
    units = 0
    pending = list(doc["units"])
    while pending:
        unit = pending.pop()
        units += 1
        paths.add(unit["path"])
        pending.extend(unit["included"])
    read = sum(os.path.getsize(p) for p in paths if os.path.isfile(p))
    peak = after.ru_maxrss * 1024
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    print("peak_MB=%.1f MB_read=%.2f files_read=%d peak_over_read=%.2f cpu_s=%.3f units=%d"
          % (peak / 1e6, read / 1e6, len(paths), peak / read if read else 0.0, cpu, units))
    return 0


if __name__ == "__main__":
    sys.exit(main())
