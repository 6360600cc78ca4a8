#!/usr/bin/env python3
"""Fills a Nox data folder with generated schedules, for screenshots and the
start-up benchmark.

    python3 bench/make_data.py HOME [--from 2026-10-01] [--months 4] [--seed 1]
        [--user NAME] [--memo-list FILE] [--noxtool PATH]

Writes day files ("yyyyMMdd.dat", UTF-8, CR LF) into HOME/data/<user>/ and,
with --memo-list, a tab-separated list "yyyy/MM/dd<TAB>text" of day memos that
"noxtool memo set" can store; with --noxtool the day memos are stored into
"memo.nox" at once through that program. Existing day files of
the same dates are replaced. Run nox with NOX_HOME=HOME afterwards.
"""
import argparse
import datetime as dt
import getpass
import os
import random
import subprocess

TEXTS = ["定例会議", "企画打ち合わせ", "歯医者", "ランチ", "資料作成", "週報提出", "来客対応",
         "英会話レッスン", "ジム", "買い物", "電話連絡", "出張準備", "レビュー", "面談",
         "プロジェクト進捗確認", "図書館へ返却", "子供の送り迎え", "請求書の整理"]
MEMOS = ["", "", "", "会議室A", "持ち物: 資料", "#13#10".join(["議題", "1. 予算", "2. 日程"]), "要予約"]
CATEGORIES = ["", "", "仕事", "個人", "家族"]
COLORS = ["clWindowText", "clWindowText", "clBlue", "clRed", "clGreen", "$00804000", "clPurple"]
DAY_MEMOS = ["燃えるゴミの日", "給料日", "締め切り!", "誕生日プレゼントを買う", "午後は在宅勤務",
             "健康診断\r\n朝食抜き"]


def day_lines(rng, day):
    lines = []
    count = rng.choice([0, 0, 1, 1, 2, 2, 3, 4])
    used = set()
    for i in range(count):
        start = rng.randrange(14, 40)
        if start in used:
            continue
        used.add(start)
        end = min(47, start + rng.choice([0, 1, 1, 2, 3, 4]))
        text = rng.choice(TEXTS)
        if rng.random() < 0.1:
            text += "#13#10" + rng.choice(TEXTS)
        ident = int(f"{rng.randrange(0, 24):02d}{rng.randrange(60):02d}{rng.randrange(60):02d}"
                    f"{rng.randrange(1000):03d}") + i
        fields = [str(start), str(end), rng.choice(COLORS), rng.choice(COLORS),
                  str(rng.choice([0, 0, 0, 1, 2])), str(rng.choice([-1, -1, -1, 0, 1, 2, 3])),
                  str(ident), rng.choice(MEMOS), text, rng.choice(CATEGORIES),
                  str(rng.choice([-1, -1, -1, 0, 5, 10])), "", "0"]
        lines.append("\t".join(fields))
    return sorted(lines, key=str.lower)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("home")
    ap.add_argument("--from", dest="start", default=None)
    ap.add_argument("--months", type=int, default=4)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--user", default=None)
    ap.add_argument("--memo-list", default=None)
    ap.add_argument("--noxtool", default=None)
    args = ap.parse_args()
    rng = random.Random(args.seed)
    today = dt.date.today()
    start = (dt.date.fromisoformat(args.start) if args.start
             else (today.replace(day=1) - dt.timedelta(days=31)).replace(day=1))
    end_month = start.month - 1 + args.months
    end = dt.date(start.year + end_month // 12, end_month % 12 + 1, 1)
    user = args.user or getpass.getuser() or "Nox_"
    folder = os.path.join(args.home, "data", user)
    os.makedirs(folder, exist_ok=True)
    memos = []
    files = 0
    day = start
    while day < end:
        lines = day_lines(rng, day)
        path = os.path.join(folder, day.strftime("%Y%m%d") + ".dat")
        if lines:
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write("".join(l + "\r\n" for l in lines))
            files += 1
        elif os.path.exists(path):
            os.remove(path)
        if rng.random() < 0.15:
            memos.append(f"{day:%Y/%m/%d}\t{rng.choice(DAY_MEMOS)}")
        day += dt.timedelta(days=1)
    if args.memo_list:
        with open(args.memo_list, "w", encoding="utf-8") as f:
            f.write("".join(m.replace("\r\n", "#13#10") + "\n" for m in memos))
    if args.noxtool:
        for m in memos:
            date, text = m.split("\t", 1)
            subprocess.run([args.noxtool, "--data", folder, "--force", "memo", "set",
                            date.replace("/", "-"), text], check=True, stdout=subprocess.DEVNULL)
    print(f"{files} day files in {folder}, {len(memos)} day memos listed")


if __name__ == "__main__":
    main()
