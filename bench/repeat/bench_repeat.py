#!/usr/bin/python3
"""noxtool agenda over one year with 500 repeat rules against python-dateutil.

    bench/repeat/bench_repeat.py NOXTOOL [--data DIR] [--runs N] [--year Y]

Writes 500 mixed rules (fixed seed, begun up to 20 years before the year)
into DIR/repeat.nox (a fresh folder when --data is not given; an existing
repeat.nox there is kept aside and put back), then in one run alternates
  - noxtool agenda --from Y-01-01 --to Y-12-31 (the whole process), and
  - dateutil's rruleset expanding the same rules, EXDATEs included, over
    the same year (in this process: no start-up counted for it),
and prints the medians and their ratio. The dates of both are compared:
any difference is printed and the exit code is 1.
"""
import argparse
import datetime as dt
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from dateutil import rrule as du

RULE_ID = 1_500_000_000


def make_rules(year, count=500, seed=29):
    rnd = random.Random(seed)
    days = ["MO", "TU", "WE", "TH", "FR", "SA", "SU"]
    rules = []
    for i in range(count):
        first = dt.date(year - 20, 1, 1) + dt.timedelta(days=rnd.randrange(20 * 365))
        kind = i % 10
        if kind in (0, 1, 2):
            picked = sorted(rnd.sample(range(7), rnd.choice([1, 1, 2])))
            rule = "FREQ=WEEKLY;INTERVAL=%d;BYDAY=%s" % (rnd.choice([1, 1, 2]), ",".join(days[d] for d in picked))
        elif kind in (3, 4):
            rule = "FREQ=MONTHLY;BYMONTHDAY=%d" % rnd.choice(list(range(1, 29)) + [31, -1])
        elif kind == 5:
            rule = "FREQ=MONTHLY;BYDAY=%d%s" % (rnd.choice([1, 2, 3, 4, -1]), rnd.choice(days[:5]))
        elif kind == 6:
            rule = "FREQ=DAILY;INTERVAL=%d" % rnd.choice([1, 2, 3, 7])
        elif kind == 7:
            rule = "FREQ=YEARLY"
        elif kind == 8:
            rule = "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1"
        else:
            until = first + dt.timedelta(days=rnd.randrange(30 * 365))
            rule = "FREQ=WEEKLY;UNTIL=%s" % until.strftime("%Y%m%d") if i % 20 == 9 else \
                "FREQ=DAILY;COUNT=%d" % rnd.randrange(10, 10000)
        excepted = sorted({dt.date(year, 1, 1) + dt.timedelta(days=rnd.randrange(365)) for _ in range(rnd.randrange(4))})
        rules.append((RULE_ID + i, first, rule, excepted, "規則%d" % i))
    return rules


def rule_line(rule):
    rid, first, rrule, excepted, text = rule
    sked = [str(18 + rid % 10), str(19 + rid % 10), "clWindowText", "clWindowText", "0", "-1", str(rid), "", text,
            "", "-1", "", "0"]
    return "\t".join([str(rid), first.strftime("%Y%m%d"), rrule, "none",
                      ",".join(d.strftime("%Y%m%d") for d in excepted)] + sked)


def dateutil_dates(rules, year):
    start, end = dt.datetime(year, 1, 1), dt.datetime(year, 12, 31)
    found = set()
    for rid, first, rrule, excepted, _ in rules:
        rs = du.rruleset()
        rs.rrule(du.rrulestr(rrule, dtstart=dt.datetime.combine(first, dt.time())))
        for d in excepted:
            rs.exdate(dt.datetime.combine(d, dt.time()))
        for occurrence in rs.between(start, end, inc=True):
            found.add((occurrence.strftime("%Y%m%d"), rid))
    return found


def agenda_dates(noxtool, folder, year):
    out = subprocess.run([noxtool, "--data", folder, "agenda", "--from", "%d-01-01" % year, "--to", "%d-12-31" % year],
                         check=True, capture_output=True, text=True).stdout
    found = set()
    for line in out.splitlines():
        date, ident = line.split("\t")[:2]
        if ident.startswith("R"):
            found.add((date, int(ident[1:])))
    return found


def timed(fn):
    t0 = time.perf_counter()
    result = fn()
    return time.perf_counter() - t0, result


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("noxtool")
    ap.add_argument("--data")
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--year", type=int, default=2026)
    ap.add_argument("--write-rules", metavar="FILE", help="only write the rules to FILE")
    args = ap.parse_args()
    if args.write_rules:
        with open(args.write_rules, "w", encoding="utf-8", newline="") as f:
            f.write("".join(rule_line(r) + "\r\n" for r in make_rules(args.year)))
        return 0
    folder = args.data or tempfile.mkdtemp(prefix="nox-repeat-bench-")
    path = os.path.join(folder, "repeat.nox")
    kept = path + ".bench-kept"
    if os.path.exists(path):
        shutil.move(path, kept)
    rules = make_rules(args.year)
    try:
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write("".join(rule_line(r) + "\r\n" for r in rules))
        nox_times, du_times = [], []
        for _ in range(args.runs):
            t, nox = timed(lambda: agenda_dates(args.noxtool, folder, args.year))
            nox_times.append(t)
            t, ref = timed(lambda: dateutil_dates(rules, args.year))
            du_times.append(t)
    finally:
        os.remove(path)
        if os.path.exists(kept):
            shutil.move(kept, path)
        if not args.data:
            shutil.rmtree(folder)
    n, r = statistics.median(nox_times), statistics.median(du_times)
    print("rules 500, year %d, occurrences %d" % (args.year, len(ref)))
    print("noxtool agenda (whole process)  %8.1f ms" % (n * 1000))
    print("dateutil rruleset (in process)  %8.1f ms" % (r * 1000))
    print("ratio                           %8.3f  (goal <= 0.2)" % (n / r))
    if nox != ref:
        for item in sorted(nox - ref)[:20]:
            print("only noxtool:", item)
        for item in sorted(ref - nox)[:20]:
            print("only dateutil:", item)
        return 1
    print("dates: identical")
    return 0


if __name__ == "__main__":
    sys.exit(main())
