#!/usr/bin/env python3
"""Raw files for the standard-methods comparison, made from generated ones.

The sample generator's wind blows from one side of the sonic; these turn the
sonic, tilt it on a known plane, and cut a file into a stream of pieces.

Usage:
  standard_samples.py turn IN OUT --yaw DEG [--plane B0 B1 B2]
      The sonic turned by DEG degrees about its vertical axis (a wind along
      +u before blows towards u = cos DEG, v = -sin DEG after), then, with
      --plane, tilted so that the mean wind lies in the plane
      w = B0 + B1 u + B2 v of the sonic's frame.
  standard_samples.py split IN OUT_PREFIX N [--cut values|end] [--seed S]
      N pieces OUT_PREFIX1.dat ... at random record boundaries, each behind
      the input's four header lines. --cut values ends every piece but the
      last inside its last record's values (a record that the file's end cuts
      short); --cut end ends it right after its status, without a line end
      (a complete record).

Only the lines after the four header lines that hold a time stamp and at
least seven values are turned; others stay as they are.
"""

import math
import random
import sys


def read_lines(path):
    with open(path, 'rb') as f:
        data = f.read()
    lines = data.split(b'\n')
    return lines[:4], lines[4:]


def plane_rotation(b1, b2):
    """Rotation taking the vertical (0, 0, 1) onto the plane's unit normal
    (-b1, -b2, 1) / |.|, about the axis perpendicular to both (Rodrigues).
    Returned as rows: sonic = rows . flow."""
    nx, ny, nz = -b1, -b2, 1.0
    norm = math.sqrt(nx * nx + ny * ny + nz * nz)
    nx, ny, nz = nx / norm, ny / norm, nz / norm
    # axis = z x n, sin = |axis|, cos = nz
    ax, ay = -ny, nx
    s = math.hypot(ax, ay)
    c = nz
    if s == 0.0:
        return [[1.0, 0.0, 0.0], [0.0, 1.0, 0.0], [0.0, 0.0, 1.0]]
    ax, ay = ax / s, ay / s
    t = 1.0 - c
    return [[c + ax * ax * t, ax * ay * t, ay * s],
            [ax * ay * t, c + ay * ay * t, -ax * s],
            [-ay * s, ax * s, c]]


def turn(args):
    src, dst = args[0], args[1]
    yaw = None
    plane = None
    i = 2
    while i < len(args):
        if args[i] == '--yaw':
            yaw = math.radians(float(args[i + 1]))
            i += 2
        elif args[i] == '--plane':
            plane = tuple(float(x) for x in args[i + 1:i + 4])
            i += 4
        else:
            raise SystemExit('unknown option ' + args[i])
    if yaw is None:
        raise SystemExit('--yaw is needed')
    cy, sy = math.cos(yaw), math.sin(yaw)
    tilt = plane_rotation(plane[1], plane[2]) if plane else None
    b0 = plane[0] if plane else 0.0
    header, records = read_lines(src)
    out = []
    for line in records:
        fields = line.split(b',')
        if len(fields) < 9:
            out.append(line)
            continue
        try:
            u, v, w = (float(x) for x in fields[1:4])
        except ValueError:
            out.append(line)
            continue
        # The flow seen by a sonic turned by yaw.
        u, v = cy * u + sy * v, -sy * u + cy * v
        if tilt:
            u, v, w = (tilt[r][0] * u + tilt[r][1] * v + tilt[r][2] * w for r in range(3))
            w += b0
        fields[1:4] = [b'%.4f' % u, b'%.4f' % v, b'%.4f' % w]
        out.append(b','.join(fields))
    with open(dst, 'wb') as f:
        f.write(b'\n'.join(header + out))


def split(args):
    src, prefix, pieces = args[0], args[1], int(args[2])
    cut = None
    seed = 1
    i = 3
    while i < len(args):
        if args[i] == '--cut':
            cut = args[i + 1]
            i += 2
        elif args[i] == '--seed':
            seed = int(args[i + 1])
            i += 2
        else:
            raise SystemExit('unknown option ' + args[i])
    header, records = read_lines(src)
    if records and records[-1] == b'':
        records.pop()
    rng = random.Random(seed)
    bounds = sorted(rng.sample(range(1, len(records)), pieces - 1)) + [len(records)]
    start = 0
    for k, end in enumerate(bounds):
        lines = records[start:end]
        last_piece = k == len(bounds) - 1
        text = b'\n'.join(header + lines) + b'\n'
        if not last_piece and cut and lines:
            body = lines[-1].rstrip(b'\r')
            if cut == 'values':
                # Inside the fourth value: the record has no status.
                comma = [j for j, ch in enumerate(body) if ch == ord(',')][3]
                text = b'\n'.join(header + lines[:-1] + [body[:comma + 2]])
            else:
                text = b'\n'.join(header + lines[:-1] + [body])
        with open('%s%d.dat' % (prefix, k + 1), 'wb') as f:
            f.write(text)
        start = end


def main(argv):
    if len(argv) < 1 or argv[0] not in ('turn', 'split'):
        raise SystemExit(__doc__)
    if argv[0] == 'turn':
        turn(argv[1:])
    else:
        split(argv[1:])
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
