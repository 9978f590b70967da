#!/usr/bin/env python3
"""Checks kelvara-cli planefit against the independent reference
planefit_oracle.py: the same JSON keys in the same order, the same texts,
counts and sectors, and every number within 1e-9 relative.

Usage: check_planefit.py KELVARA_CLI KELVARA_SAMPLE [WORK_DIR]
Exit status 0 when every case agrees, 1 otherwise.
"""

import json
import math
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
ORACLE = os.path.join(HERE, 'planefit_oracle.py')
TOLERANCE = 1e-9


def agree(ours, theirs, where):
    """A list of differences between two JSON values."""
    if isinstance(ours, float) or isinstance(theirs, float):
        if not isinstance(ours, (int, float)) or not isinstance(theirs, (int, float)):
            return ['%s: %r vs %r' % (where, ours, theirs)]
        scale = max(abs(ours), abs(theirs))
        if ours != theirs and abs(ours - theirs) > TOLERANCE * scale:
            return ['%s: %r vs %r' % (where, ours, theirs)]
        return []
    if isinstance(ours, dict) and isinstance(theirs, dict):
        if list(ours) != list(theirs):
            return ['%s: keys %s vs %s' % (where, list(ours), list(theirs))]
        return [d for key in ours for d in agree(ours[key], theirs[key], where + '.' + key)]
    if isinstance(ours, list) and isinstance(theirs, list) and len(ours) == len(theirs):
        return [d for i, (a, b) in enumerate(zip(ours, theirs)) for d in agree(a, b, '%s[%d]' % (where, i))]
    return [] if ours == theirs else ['%s: %r vs %r' % (where, ours, theirs)]


def run(command, cwd):
    env = dict(os.environ, WINDIR=os.path.join(cwd, 'no windows'))
    done = subprocess.run(command, cwd=cwd, env=env, capture_output=True, text=True)
    return done.returncode, done.stdout


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    cli, sample = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    work = argv[3] if len(argv) > 3 else tempfile.mkdtemp(prefix='planefit-check-')
    os.makedirs(work, exist_ok=True)
    made = [
        ['tilted.dat', '--tilted-plane', '0.02', '0.04', '-0.03'],
        ['steep.dat', '--tilted-plane', '-0.1', '0.12', '0.08', '--tilted-blocks', '45', '--seed', '5'],
        ['few.dat', '--tilted-plane', '0', '0.01', '0', '--tilted-blocks', '15', '--tilted-records', '3000'],
        ['day.dat', '--hours', '6', '--seed', '8', '--spike-rate', '1e-3', '--bad-status-rate', '1e-3'],
        ['short.dat', '--hours', '2', '--seed', '9'],
    ]
    for name, *options in made:
        subprocess.run([sample, os.path.join(work, name)] + options, check=True)
    with open(os.path.join(work, 'list.txt'), 'w') as listing:
        listing.write('few.dat\r\nshort.dat\r\n')
    with open(os.path.join(HERE, '..', '..', 'res', 'range.ini')) as source:
        strict = source.read().replace('H2O-Min\t-20', 'H2O-Min\t100')
    with open(os.path.join(work, 'strict.ini'), 'w') as target:
        target.write(strict)
    cases = [
        ['tilted.dat', '--min-records', '1000'],
        ['tilted.dat'],
        ['steep.dat', '--min-records', '100', '--u-min', '2.6', '--w-max', '0.5'],
        ['steep.dat', 'tilted.dat', '--min-records', '1000', '--u-min', '0'],
        ['few.dat', '--list', 'list.txt', '--min-records', '2000'],
        ['day.dat'],
        ['short.dat', 'day.dat', '--min-records', '17000'],
        ['tilted.dat', '--range-file', 'strict.ini', '--min-records', '1000'],
    ]
    failures = 0
    for case in cases:
        ours_status, ours = run([cli, 'planefit', '--json'] + case, work)
        theirs_status, theirs = run([sys.executable, ORACLE, '--json'] + case, work)
        problems = []
        if ours_status != theirs_status:
            problems.append('exit %d vs %d' % (ours_status, theirs_status))
        try:
            problems += agree(json.loads(ours), json.loads(theirs), 'json')
        except ValueError as error:
            problems.append('unreadable JSON: %s' % error)
        print('%s %s' % ('same' if not problems else 'DIFFERENT', ' '.join(case)))
        for problem in problems[:10]:
            print('    ' + problem)
        failures += bool(problems)
    print('%d of %d cases agree' % (len(cases) - failures, len(cases)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
