#!/usr/bin/env python3
"""Cuts real reports into the small seeds of the fuzz targets.

    cut_seeds.py OUTDIR MAXLEN REPORT...

Writes OUTDIR/<target>/<name>, one folder per target that reads reports:
each report's head (up to its first hit), and for its first hits (and its
last) the head with one hit block, the head with one alignment, so that every
seed holds what a reader meets at each stage of a report and no seed is
longer than MAXLEN bytes. XML is cut at its <Hit> elements, JSON keeps one
hit with one segment pair, tables keep their comment lines and a few rows.
Seeds of the targets that choose a mode with their first byte get it.
"""

import hashlib
import json
import os
import re
import sys

HIT_START = re.compile(rb"^(>|\s*<a name|<b>>)", re.IGNORECASE)
SCORE = re.compile(rb"^\s*Score\s*=")
SUMMARY = re.compile(rb"Sequences producing", re.IGNORECASE)
HITS_KEPT = 3


def write(outdir, target, data, maxlen):
    data = data[:maxlen]
    if not data:
        return
    folder = os.path.join(outdir, target)
    os.makedirs(folder, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def short_head(head):
    """The head with its summary list cut to a few lines."""
    lines = head.splitlines(keepends=True)
    for i, line in enumerate(lines):
        if SUMMARY.search(line):
            return b"".join(lines[: i + 6])
    return b"".join(lines[:40])


def text_pieces(report):
    """Head; head and one hit block; head and one alignment."""
    lines = report.splitlines(keepends=True)
    starts = [i for i, line in enumerate(lines) if HIT_START.match(line)]
    if not starts:
        return [report]
    head = b"".join(lines[: starts[0]])
    pieces = [head]
    short = short_head(head)
    ends = starts[1:] + [len(lines)]
    chosen = list(range(min(HITS_KEPT, len(starts))))
    if len(starts) - 1 not in chosen:
        chosen.append(len(starts) - 1)
    for k in chosen:
        block = lines[starts[k] : ends[k]]
        pieces.append(short + b"".join(block))
        scores = [i for i, line in enumerate(block) if SCORE.match(line)]
        if len(scores) > 1:
            # the definition lines with the second alignment alone
            pieces.append(short + b"".join(block[: scores[0]] + block[scores[1] :]))
    return pieces


def xml_pieces(report):
    """Everything around the hits with one hit (its first segment pair)."""
    spans = [m.span() for m in re.finditer(rb"<Hit>.*?</Hit>\s*", report, re.DOTALL)]
    if not spans:
        return [report]
    prefix, suffix = report[: spans[0][0]], report[spans[-1][1] :]
    pieces = [prefix + suffix]
    for start, end in spans[:HITS_KEPT]:
        hit = report[start:end]
        hsps = list(re.finditer(rb"<Hsp>.*?</Hsp>\s*", hit, re.DOTALL))
        if len(hsps) > 1:
            hit = hit[: hsps[1].start()] + hit[hsps[-1].end() :]
        pieces.append(prefix + hit + suffix)
    return pieces


def json_pieces(report):
    try:
        document = json.loads(report)
        results = document["BlastOutput2"]
    except (ValueError, KeyError, TypeError):
        return [report]
    pieces = []
    for result in results[:2]:
        search = result.get("report", {}).get("results", {}).get("search", {})
        hits = search.get("hits", [])
        for hit in hits[:HITS_KEPT] or [None]:
            if hit is not None:
                hit = dict(hit, hsps=hit.get("hsps", [])[:1])
                search["hits"] = [hit]
            pieces.append(json.dumps({"BlastOutput2": [result]}, indent=1).encode())
    return pieces


def table_pieces(report):
    lines = report.splitlines(keepends=True)
    comments = [line for line in lines if line.startswith(b"#")]
    rows = [line for line in lines if line.strip() and not line.startswith(b"#")]
    pieces = [b"".join(comments[:8])]
    for i in range(0, min(len(rows), 9), 3):
        pieces.append(b"".join(comments[:8] + rows[i : i + 3]))
    return pieces


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: cut_seeds.py OUTDIR MAXLEN REPORT...")
    outdir, maxlen = sys.argv[1], int(sys.argv[2])
    for path in sys.argv[3:]:
        with open(path, "rb") as f:
            report = f.read()
        ext = os.path.splitext(path)[1]
        if ext in (".xml", ".xml2"):
            mode = b"\1" if ext == ".xml2" else b"\0"
            for piece in xml_pieces(report):
                write(outdir, "blastxml", mode + piece, maxlen)
                write(outdir, "blastxml", bytes([ord(mode) | 2]) + piece, maxlen)
                write(outdir, "layout", piece, maxlen)
        elif ext == ".json":
            for piece in json_pieces(report):
                write(outdir, "blastjson", piece, maxlen)
                write(outdir, "layout", piece, maxlen)
        elif ext in (".tsv", ".tab7", ".csv"):
            for piece in table_pieces(report):
                write(outdir, "blasttabular", piece, maxlen)
                write(outdir, "layout", piece, maxlen)
                write(outdir, "import", b"\3" + piece, maxlen)
        else:
            html = b"\1" if re.search(rb"<(html|body|pre)", report[:4096], re.I) else b"\0"
            for piece in text_pieces(report):
                for target in ("qblast", "classic", "layout"):
                    write(outdir, target, piece, maxlen)
                write(outdir, "blastplus_text", html + piece, maxlen)
                write(outdir, "blastplus_text", bytes([ord(html) | 2]) + piece, maxlen)
                write(outdir, "import", b"\3" + piece, maxlen)


if __name__ == "__main__":
    main()
