#!/usr/bin/env python3
"""Writes host_selection.txt: an exchange file shaped like the ones the host
writes for a text selection (CP932, CR LF, no byte-order mark, hcc in
7-character columns, plain lines with a leading blank, a rotated dimension).
Run from this folder; the output is checked in."""

def col(values):
    return "".join(f"{v:>7}" for v in values)

lines = [
    "hq",
    "file=C:\\jww\\表示 1.jww",
    "hk 0",
    "hs" + col([1, 50, 100, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1]),
    "hcw 2 2.5 3.5 4.5 5 6 7 8 10 12",
    "hch 2 2.5 3.5 4.5 5 6 7 8 10 12",
    "hcd 0 0 0 0 0 0 0 0 0 0",
    "hcc" + col([1, 1, 2, 2, 2, 2, 2, 2, 2, 2]),
    "hn -5000 -5000 5000 5000",
    "bz",
    "lg0",
    "lye",
    "lc1",
    "lt1",
    "cn3",
    'cn"$<ＭＳ ゴシック>',
    "#",
    " -5000 0 5000 0",
    " 0 -5000 0 5000",
    'ch -1200 300 5 0 "ソフト　表記①②　ｶﾅ ㎡',
    'cs -7104.11973389354 1827.73825260745 -3.2783543701953e-005 749.999999999999 "1,820',
    "z1",
    'ch 0 0 0 5 "能力',
]

with open("host_selection.txt", "wb") as f:
    f.write("".join(line + "\r\n" for line in lines).encode("cp932"))
