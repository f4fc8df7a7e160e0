#!/usr/bin/env python3
"""Reads a generated answer report with Python's csv module, as other programs
do, and checks that every field comes back: the byte-order mark, CR LF line
ends, the header, and each text with at most the one leading ' that keeps a
formula-like text from being run.
    ReadBack.py WRITE_ANSWER_REPORT"""
import csv
import io
import os
import re
import subprocess
import sys
import tempfile

TEXTS = [
    "Stockholm",
    "a, b",
    'say "hi"',
    "two\r\nlines",
    "=1+1",
    "+46 8",
    "-5",
    "@SUM(A1)",
    "'quoted",
    "G\u00e4vle \u00e9t\u00e9 \u20ac \u0160",
    "",
    "x" * 70,
]
HEADER = ["time", "file", "question", "line", "question text", "answer", "verdict", "seconds"]


def fail(message):
    print("ReadBack: " + message)
    sys.exit(1)


def main():
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "report.csv")
        subprocess.run([sys.argv[1], path] + TEXTS, check=True)
        raw = open(path, "rb").read()
    if not raw.startswith(b"\xef\xbb\xbf"):
        fail("no byte-order mark")
    # Every line end outside quoted fields is CR LF: no bare LF at a row's end.
    if not raw.endswith(b"\r\n") or re.search(rb"[^\r]\n\d{4}-", raw):
        fail("a row does not end in CR LF")
    rows = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
    if rows[0] != HEADER:
        fail("header %r" % rows[0])
    if len(rows) != len(TEXTS) + 1:
        fail("%d rows for %d texts" % (len(rows) - 1, len(TEXTS)))
    for i, (text, row) in enumerate(zip(TEXTS, rows[1:]), start=1):
        unprefixed = [f[1:] if f.startswith("'") else f for f in row]
        expected_question = text[:60]
        checks = [
            (re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d", row[0]) is not None, "time"),
            (row[1] == "read back.txt", "file"),
            (row[2] == str(i), "question"),
            (row[3] == str(2 * (i + 1)), "line"),
            (unprefixed[4] == expected_question, "question text"),
            (unprefixed[5] == text, "answer"),
            (row[6] == ("right" if (i + 1) % 2 == 0 else "wrong"), "verdict"),
            (row[7] == "%d.3" % (i + 1), "seconds"),
            (text[:1] not in "=+-@'" or text == "" or row[5].startswith("'"), "prefix"),
        ]
        for ok, what in checks:
            if not ok:
                fail("row %d: %s read back as %r" % (i, what, row))
    print("ReadBack: %d rows read back" % (len(rows) - 1))


main()
