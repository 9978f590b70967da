#!/usr/bin/env python3
"""Raw data files with random byte-level damage, for differential runs.

Usage: fuzz_samples.py DIR COUNT [FIRST_SEED]
Writes DIR/f_<seed>.dat: a short valid file (1 Hz, about 40 minutes), then
a few dozen random edits: characters deleted, inserted (delimiters, signs,
letters, NUL, CR, LF), stretches repeated, and sometimes a cut end.
"""

import os
import random
import sys

from nasty_samples import HEADERS, Tower, series, hms

ALPHABET = b',,,::  \n\n\r"-+.exXnaNiIpP0123456789\t\x00'


def damaged(seed):
    rng = random.Random(seed)
    tower = Tower(seed)
    start = hms(rng.choice([9, 10, 23]), rng.choice([0, 13, 29, 30, 47]))
    minutes = rng.choice([8, 25, 40, 70])
    lines = series(tower, '2024-06-0%d' % rng.randint(1, 9), start, minutes * 60, step=rng.choice([0.5, 1.0]))
    eol = rng.choice(['\r\n', '\n'])
    text = bytearray((eol.join(HEADERS + lines) + eol).encode('latin-1'))
    body = len(eol.join(HEADERS)) + len(eol)
    for _ in range(rng.randint(1, 60)):
        if len(text) <= body + 10:
            break
        pos = rng.randrange(body, len(text))
        op = rng.random()
        if op < 0.35:
            del text[pos]
        elif op < 0.75:
            text[pos:pos] = bytes([rng.choice(ALPHABET)])
        elif op < 0.85:
            length = rng.randint(1, 80)
            text[pos:pos] = text[pos:pos + length]
        elif op < 0.95:
            text[pos] = rng.choice(ALPHABET)
        else:
            length = rng.randint(1, 30)
            text[pos:pos] = bytes(rng.choice(b'0123456789') for _ in range(length))
    if rng.random() < 0.3:
        text = text[:rng.randrange(body, len(text))]
    if rng.random() < 0.1:
        text = text[:rng.randrange(0, body + 1)]
    return bytes(text)


def main():
    out = sys.argv[1]
    count = int(sys.argv[2])
    first = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    os.makedirs(out, exist_ok=True)
    for seed in range(first, first + count):
        with open(os.path.join(out, 'f_%d.dat' % seed), 'wb') as f:
            f.write(damaged(seed))


if __name__ == '__main__':
    main()
