#!/usr/bin/env python3
"""Raw files for the reading of streams, made from generated ones: time
stamps in other forms, files cut by the clock, overlaps, clocks that jump
or step back, time stamps that do not read.

Every command reads a file in the default layout or a logger table (four
header lines, the time stamp in the first field) and keeps every other
byte as it stands.

Usage:
  stream_samples.py restamp IN OUT --form blank|T|slash [--quote yes|no|mixed]
                    [--fraction keep|none|long|dot] [--blanks]
      Rewrites every time stamp: a blank, `T` or `/` dates with a blank;
      quoted, bare or alternating; the fraction kept, left out (whole
      seconds, so that several records share a time), written with 12
      digits, or left out behind a bare dot; with --blanks, blanks around
      the field.
  stream_samples.py thin IN OUT --every K
      Keeps every K-th record (a 10 Hz file becomes 10/K Hz).
  stream_samples.py cut IN PREFIX --minutes M [--offset S] [--overlap R]
      Pieces PREFIX001.dat ... at every M minutes of the clock (shifted by
      S seconds), each behind the header lines; with --overlap, each piece
      after the first starts with the last R records of the one before.
  stream_samples.py shift IN OUT --from I [--to J] --seconds S [--status N]
      Adds S seconds (negative: a clock stepping back) to the time stamps
      of records I to J-1 (counted from 0; negative from the end); with
      --status, gives those records status N (in the default layout).
  stream_samples.py badstamp IN OUT --record I --text TEXT
      Replaces record I's time field by TEXT.
"""

import argparse
import datetime
import sys

HEADER_LINES = 4


def read(path):
    with open(path, 'rb') as f:
        data = f.read()
    lines = data.split(b'\n')
    final = lines[-1] == b''
    if final:
        lines.pop()
    return lines[:HEADER_LINES], lines[HEADER_LINES:], final


def write(path, header, records, final=True):
    text = b'\n'.join(header + records)
    with open(path, 'wb') as f:
        f.write(text + (b'\n' if final else b''))


def split_time(line):
    """(time, fraction digits, the rest of the line from its first comma)."""
    comma = line.index(b',')
    text = line[:comma].strip().strip(b'"').decode('ascii').replace('T', ' ').replace('/', '-')
    whole, _, fraction = text.partition('.')
    return datetime.datetime.strptime(whole, '%Y-%m-%d %H:%M:%S'), fraction, line[comma:]


def stamp_text(time, fraction, form='blank'):
    date = time.strftime('%Y/%m/%d' if form == 'slash' else '%Y-%m-%d')
    return '%s%s%s%s' % (date, 'T' if form == 'T' else ' ', time.strftime('%H:%M:%S'),
                         '.' + fraction if fraction else '')


def restamp(args):
    header, records, final = read(args.input)
    out = []
    for i, line in enumerate(records):
        time, fraction, rest = split_time(line)
        if args.fraction in ('none', 'dot'):
            fraction = ''
        elif args.fraction == 'long':
            fraction = (fraction or '0').ljust(12, '0')
        text = stamp_text(time, fraction, args.form)
        if args.fraction == 'dot' and not fraction:
            text += '.'
        quoted = args.quote == 'yes' or (args.quote == 'mixed' and i % 2 == 0)
        if quoted:
            text = '"%s"' % text
        if args.blanks:
            text = ' \t%s ' % text
        out.append(text.encode('ascii') + rest)
    write(args.output, header, out, final)


def thin(args):
    header, records, final = read(args.input)
    write(args.output, header, records[::args.every], final)


def cut(args):
    header, records, final = read(args.input)
    width = args.minutes * 60
    pieces = []
    for line in records:
        time, _, _ = split_time(line)
        seconds = (time - datetime.datetime(1970, 1, 1)).total_seconds() - args.offset
        key = int(seconds // width)
        if not pieces or pieces[-1][0] != key:
            pieces.append((key, []))
        pieces[-1][1].append(line)
    previous = []
    for n, (_, lines) in enumerate(pieces, start=1):
        lead = previous[-args.overlap:] if args.overlap and previous else []
        write('%s%03d.dat' % (args.prefix, n), header, lead + lines)
        previous = lines
    print(len(pieces))


def shift(args):
    header, records, final = read(args.input)
    end = len(records) if args.to is None else args.to
    for i in range(len(records))[args.start:end]:
        time, fraction, rest = split_time(records[i])
        time += datetime.timedelta(seconds=args.seconds)
        if args.status is not None:
            rest = rest[:rest.rindex(b',') + 1] + b'%d' % args.status + (b'\r' if rest.endswith(b'\r') else b'')
        records[i] = b'"' + stamp_text(time, fraction).encode('ascii') + b'"' + rest
    write(args.output, header, records, final)


def badstamp(args):
    header, records, final = read(args.input)
    line = records[args.record]
    records[args.record] = args.text.encode('latin-1') + line[line.index(b','):]
    write(args.output, header, records, final)


def main(argv):
    parser = argparse.ArgumentParser(prog='stream_samples.py', description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest='command', required=True)
    p = sub.add_parser('restamp')
    p.add_argument('input')
    p.add_argument('output')
    p.add_argument('--form', choices=('blank', 'T', 'slash'), required=True)
    p.add_argument('--quote', choices=('yes', 'no', 'mixed'), default='yes')
    p.add_argument('--fraction', choices=('keep', 'none', 'long', 'dot'), default='keep')
    p.add_argument('--blanks', action='store_true')
    p.set_defaults(run=restamp)
    p = sub.add_parser('thin')
    p.add_argument('input')
    p.add_argument('output')
    p.add_argument('--every', type=int, required=True)
    p.set_defaults(run=thin)
    p = sub.add_parser('cut')
    p.add_argument('input')
    p.add_argument('prefix')
    p.add_argument('--minutes', type=int, required=True)
    p.add_argument('--offset', type=float, default=0.0)
    p.add_argument('--overlap', type=int, default=0)
    p.set_defaults(run=cut)
    p = sub.add_parser('shift')
    p.add_argument('input')
    p.add_argument('output')
    p.add_argument('--from', dest='start', type=int, required=True)
    p.add_argument('--to', type=int)
    p.add_argument('--seconds', type=int, required=True)
    p.add_argument('--status', type=int)
    p.set_defaults(run=shift)
    p = sub.add_parser('badstamp')
    p.add_argument('input')
    p.add_argument('output')
    p.add_argument('--record', type=int, required=True)
    p.add_argument('--text', required=True)
    p.set_defaults(run=badstamp)
    args = parser.parse_args(argv)
    args.run(args)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
