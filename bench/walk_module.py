#!/usr/bin/env python3
"""walk_bench's walk through the orvanespt module: a report whose top record
source lists the parents and whose child is re-queried for every parent,
walked with Report.walk while the children's amounts are summed from the
steps. Its child is linked by a macro (@IdParent) or bound (SendParameters).

Usage: walk_module.py DATABASE macro|bound [repeats]
(orvanespt found through PYTHONPATH, which walk_bench sets). Prints
"first best sum" as walk_peer.py does.
"""
import sys
import time
from xml.sax.saxutils import quoteattr

import orvanespt

TOP = "SELECT id, name FROM parents ORDER BY id"
CHILD = {"macro": "SELECT n, amount FROM children WHERE parent_id = @IdParent",
         "bound": "SELECT n, amount FROM children WHERE parent_id = ?"}


def report(db, kind):
    send = "IdParent" if kind == "bound" else ""
    # The reader wants every attribute of a connection and a record source.
    common = 'ecnnName="walk" CursorLocation="3" CursorType="3" TypeofCommand="1" LockType="1" Filter="" Order=""'
    return orvanespt.from_xml(f"""<Orvane Name="walk" Version="1.0"><eConnections>
<eConnection Name="walk" Internal="0" cnnString={quoteattr("Provider=SQLite;Data Source=" + db)}><eRSources>
<eRSource Name="parents" {common} SQLCommand={quoteattr(TOP)} eFieldNametoParameters="id"
 idParameterLinked="IdParent" SendParameters=""><eRSources>
<eRSource Name="children" {common} SQLCommand={quoteattr(CHILD[kind])} eFieldNametoParameters=""
 idParameterLinked="" SendParameters="{send}"/>
</eRSources></eRSource></eRSources></eConnection></eConnections>
<eParameters><eParameter Name="IdParent" eType="adInteger" Predef="0"/></eParameters></Orvane>""")


def walk(rpt):
    total = 0.0
    for step in rpt.walk():
        for record in step:
            for child in record["children"]:
                for row in child["rows"]:
                    total += row["fields"]["amount"]
    return total


def main():
    if len(sys.argv) < 3 or sys.argv[2] not in CHILD:
        sys.exit("usage: walk_module.py DATABASE macro|bound [repeats]")
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    rpt = report(sys.argv[1], sys.argv[2])
    t0 = time.perf_counter()
    total = walk(rpt)
    first = time.perf_counter() - t0
    best = first
    for _ in range(repeats):
        t0 = time.perf_counter()
        walk(rpt)
        best = min(best, time.perf_counter() - t0)
    print("%.6f %.6f %.17g" % (first, best, total))


if __name__ == "__main__":
    main()
