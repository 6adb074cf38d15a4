#!/usr/bin/env python3
"""The Python side of walk_bench: the same master-detail walk with the
standard sqlite3 module. For every parent of "SELECT id, name FROM parents
ORDER BY id" it queries the parent's children and sums their amount.

Usage: walk_peer.py DATABASE macro|bound [repeats]

"macro" writes the parent's id into the SQL text of every child query;
"bound" sends one parameterised text, which the module's statement cache
prepares once and re-binds. Prints "first best sum": the seconds of the cold
first walk, the best of the repeats after it, and the sum of the amounts.
"""
import sqlite3
import sys
import time


def walk(db, kind):
    total = 0.0
    children = db.cursor()
    for pid, _name in db.execute("SELECT id, name FROM parents ORDER BY id"):
        if kind == "macro":
            rows = children.execute("SELECT n, amount FROM children WHERE parent_id = %d" % pid)
        else:
            rows = children.execute("SELECT n, amount FROM children WHERE parent_id = ?", (pid,))
        for _n, amount in rows:
            total += amount
    return total


def main():
    if len(sys.argv) < 3 or sys.argv[2] not in ("macro", "bound"):
        sys.exit("usage: walk_peer.py DATABASE macro|bound [repeats]")
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    db = sqlite3.connect(sys.argv[1])
    t0 = time.perf_counter()
    total = walk(db, sys.argv[2])
    first = time.perf_counter() - t0
    best = first
    for _ in range(repeats):
        t0 = time.perf_counter()
        walk(db, sys.argv[2])
        best = min(best, time.perf_counter() - t0)
    db.close()
    print("%.6f %.6f %.17g" % (first, best, total))


if __name__ == "__main__":
    main()
