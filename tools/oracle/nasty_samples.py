#!/usr/bin/env python3
"""Hand-made raw data, range and list files that sit at the edges of the
raw format: over-long fields, odd number texts, missing fields, cut records,
short and rejected blocks, odd clock values, files that follow each other.

Usage: nasty_samples.py DIR   (writes the files into DIR)
"""

import os
import random
import sys

HEADERS = ['"TOA5","tower","CR3000"', '"TIMESTAMP","U","V","W","CO2","H2O","Ts","P","diag"',
           '"TS","m/s","m/s","m/s","mg/m3","g/m3","C","kPa",""', '"","Smp","Smp","Smp","Smp","Smp","Smp","Smp","Smp"']


class Tower:
    """Plain correlated turbulence, enough for non-trivial fluxes."""

    def __init__(self, seed):
        self.rng = random.Random(seed)

    def values(self):
        g = self.rng.gauss
        w = g(0.1, 0.25)
        t = g(0.0, 0.3)
        u = 3.0 + g(0, 0.6) - 0.8 * w
        v = 1.0 + g(0, 0.5)
        ts = 21.0 + t + 0.5 * w
        co2 = 700.0 + g(0, 3.0) - 4.0 * w
        h2o = 10.0 + g(0, 0.2) + 0.3 * w
        p = 98.0 + g(0, 0.01)
        return ['%.3f' % u, '%.3f' % v, '%.3f' % w, '%.2f' % co2, '%.3f' % h2o, '%.2f' % ts, '%.3f' % p]


def clock(sec):
    sec = sec % 86400
    return '%02d:%02d:%04.1f' % (sec // 3600, sec % 3600 // 60, sec % 60)


def record(date, sec, vals, status='0', lead='"'):
    return '%s%s %s",%s,%s' % (lead, date, clock(sec), ','.join(vals), status)


def series(tower, date, start, seconds, step=1.0):
    out = []
    n = int(round(seconds / step))
    for i in range(n):
        out.append(record(date, start + i * step, tower.values()))
    return out


def write(path, lines, eol='\r\n', final=True, headers=HEADERS):
    text = eol.join(list(headers) + lines)
    if final:
        text += eol
    with open(path, 'wb') as f:
        f.write(text.encode('latin-1'))


def hms(h, m, s=0):
    return h * 3600 + m * 60 + s


def main(d):
    os.makedirs(d, exist_ok=True)
    p = lambda name: os.path.join(d, name)
    day = '2024-06-01'

    # Over-long fields: date, hour, rest of time stamp, values, status.
    t = Tower(11)
    lines = series(t, day, hms(10, 0), 3600)
    lines[0] = lines[0].replace(day, day + 'LONGDATE', 1)
    for i in range(5, len(lines), 97):
        lines[i] = lines[i].replace('.', '.0000000000000000000001', 1)
    for i in range(6, len(lines), 61):
        fields = lines[i].split(',')
        fields[1 + i % 7] += '0000000000000000000001'
        lines[i] = ','.join(fields)
    for i in range(7, len(lines), 89):
        head, _, status = lines[i].rpartition(',')
        lines[i] = head + ',00000000000000'
    for i in range(9, len(lines), 83):
        lines[i] = lines[i].replace('",', '123456789012",', 1)
    for i in range(400, 420):
        lines[i] = lines[i].replace(' 10:', ' 010:', 1)
    for i in range(1800, 1803):
        lines[i] = lines[i].replace(day, day + 'XX', 1)
    write(p('n_long.dat'), lines)

    # Number texts of every kind.
    t = Tower(12)
    lines = series(t, day, hms(10, 0), 3600)
    odd = ['NAN', 'nan', '-nan', 'inf', '-INFINITY', '0x1.8p1', ' +2.5', '1e', 'abc', '12.5abc',
           '-.5e-1', 'nan(123)', '\t3.25', '+', '.', '1e+', '0x', '0x.8p-1', '1E2', '-0',
           '7.', '.5', '3.4028235e38', '1e-50', '0X1P-149']
    for j, i in enumerate(range(3, len(lines), 37)):
        fields = lines[i].split(',')
        k = 1 + (j % 7)
        fields[k] = odd[j % len(odd)]
        lines[i] = ','.join(fields)
    write(p('n_numbers.dat'), lines, eol='\n')

    # Records with fewer fields, read across the line end.
    t = Tower(13)
    lines = series(t, day, hms(10, 0), 3600)
    for i in (100, 700, 1500, 2500):
        fields = lines[i].split(',')
        lines[i] = ','.join(fields[:5]) + ',0'
    write(p('n_missing.dat'), lines)

    # No line end after the last record.
    t = Tower(14)
    lines = series(t, day, hms(10, 0), 2700)
    write(p('n_nolf.dat'), lines, final=False)

    # The last record, without a line end, opens a new half hour.
    t = Tower(15)
    lines = series(t, day, hms(10, 0), 1800) + series(t, day, hms(10, 30), 1)
    write(p('n_nolf_carry.dat'), lines, final=False)

    # A half hour in the middle with fewer than 5 samples.
    t = Tower(16)
    mid = series(t, day, hms(10, 30), 1800)
    for i in range(len(mid)):
        if i % 600 != 0:
            head, _, _ = mid[i].rpartition(',')
            mid[i] = head + ',99'
    lines = series(t, day, hms(10, 0), 1800) + mid + series(t, day, hms(11, 0), 1800)
    write(p('n_shortmid.dat'), lines)

    # Every status bad.
    t = Tower(17)
    lines = [l.rpartition(',')[0] + ',20' for l in series(t, day, hms(10, 0), 3600)]
    write(p('n_allbad.dat'), lines)

    # A block with all statuses bad between good ones (a block of 0 samples).
    t = Tower(18)
    bad = [l.rpartition(',')[0] + ',-1' for l in series(t, day, hms(10, 30), 1800)]
    lines = series(t, day, hms(10, 0), 1800) + bad + series(t, day, hms(11, 0), 1800)
    write(p('n_badmid.dat'), lines)

    # Blocks that fail screening, and one where no record keeps all flags.
    t = Tower(19)
    b1 = series(t, day, hms(10, 0), 1800)
    b2 = []
    for l in series(t, day, hms(10, 30), 1800):
        fields = l.split(',')
        fields[7] = '150'
        b2.append(','.join(fields))
    b3 = []
    base = ['3.0', '1.0', '0.1', '700', '10', '21', '98']
    outside = ['60', '-60', '55', '1600', '-30', '70', '20']
    for k in range(7):
        vals = list(base)
        vals[k] = outside[k]
        b3.append(record(day, hms(11, 0, k), vals))
    b4 = series(t, day, hms(11, 30), 1800)
    b5 = []
    for l in series(t, day, hms(12, 0), 1800):
        fields = l.split(',')
        fields[4] = '0'
        b5.append(','.join(fields))
    b6 = series(t, day, hms(12, 30), 1800)
    write(p('n_reject.dat'), b1 + b2 + b3 + b4 + b5 + b6)

    # Long header line, then ordinary records.
    t = Tower(20)
    write(p('n_longheader.dat'), series(t, day, hms(9, 45), 3600),
          headers=['x' * 300] + HEADERS[1:])

    # Header lines only.
    write(p('n_headers_only.dat'), [])
    # Fewer than four header lines.
    write(p('n_two_lines.dat'), [], headers=HEADERS[:2])

    # Cut short inside the values, inside the time stamp, before the status.
    t = Tower(21)
    lines = series(t, day, hms(10, 0), 2000)
    write(p('n_cut_values.dat'), lines + ['"%s 10:33:21.0",1.0,2.0,0.1' % day], final=False)
    write(p('n_cut_stamp.dat'), lines + ['"%s 10:4' % day], final=False)
    write(p('n_cut_status.dat'), lines + ['"%s 10:33:21.0",1,1,0.1,700,10,21,98,' % day], final=False)
    write(p('n_cut_same.dat'), lines + ['"%s 10:33:21.0",1,1,0.1,700,10,21,98,3' % day], final=False)

    # Status values of every kind.
    t = Tower(22)
    lines = series(t, day, hms(10, 0), 3600)
    st = ['14', '-1', '13', '0', ' 5', '+7', 'x', '1000000', '12abc', '\t-0', '2147483647']
    for j, i in enumerate(range(1, len(lines), 23)):
        lines[i] = lines[i].rpartition(',')[0] + ',' + st[j % len(st)]
    write(p('n_status.dat'), lines)

    # Odd clock texts: minute 75, hour 99, negative, one digit, empty.
    t = Tower(23)
    lines = []
    v = t.values
    for i in range(40):
        lines.append('"%s 7:5:%02d.0",%s,0' % (day, i, ','.join(v())))
    for i in range(40):
        lines.append('"%s 99:75:%02d.0",%s,0' % (day, i, ','.join(v())))
    for i in range(40):
        lines.append('"%s -1:-5:%02d.0",%s,0' % (day, i, ','.join(v())))
    for i in range(40):
        lines.append('"%s ::%02d.0",%s,0' % (day, i, ','.join(v())))
    for i in range(40):
        lines.append('"%s 23:59:%02d.0",%s,0' % (day, i, ','.join(v())))
    for i in range(40):
        lines.append('"%s 24:30:%02d.0",%s,0' % (day, i, ','.join(v())))
    write(p('n_clock.dat'), lines)

    # Across midnight: the 23:30 block is labelled 0:0 with its own date.
    t = Tower(24)
    lines = series(t, '2024-06-01', hms(23, 0), 3600) + series(t, '2024-06-02', hms(0, 0), 2400)
    write(p('n_midnight.dat'), lines)

    # Two days of the same half hour with nothing between: one block.
    t = Tower(25)
    lines = series(t, '2024-06-01', hms(10, 0), 600) + series(t, '2024-06-02', hms(10, 10), 600)
    write(p('n_twodays.dat'), lines)

    # A file followed by another: first ends 12:14:59, second goes on.
    t = Tower(26)
    write(p('p_first.dat'), series(t, day, hms(11, 40), 35 * 60))
    write(p('p_second.dat'), series(t, day, hms(12, 15), 40 * 60), eol='\n')
    write(p('p_second_other.dat'), series(t, day, hms(12, 30), 600))
    write(p('p_second_short.dat'), series(t, day, hms(12, 15), 300), final=False)
    write(p('p_second_cut.dat'), series(t, day, hms(12, 15), 300) + ['"%s 12:20:00.0",1,2'
                                                                        % day], final=False)
    # A first file whose last record already opens the next half hour.
    write(p('p_first_carry.dat'), series(t, day, hms(11, 40), 20 * 60 + 1))
    # A first file cut mid-record.
    write(p('p_first_cut.dat'), series(t, day, hms(11, 40), 30 * 60) + ['"%s 12:10:00.0",1,2,3'
                                                                        % day], final=False)
    # A first file ending right at 12:29:59 (next block would come only from the second).
    write(p('p_first_exact.dat'), series(t, day, hms(12, 0), 1800))

    # Wind that makes the rotation angles 0/0, x/0 and a negative mean u.
    t = Tower(27)
    lines = []
    for k, (u, v) in enumerate([('0', '0'), ('-0', '0'), ('0', '0.5'), ('-3.0', '0'), ('0', '-0.0')]):
        for i in range(600):
            vals = t.values()
            vals[0], vals[1] = u, v
            if k == 1:
                vals[2] = '0'
            lines.append(record(day, hms(10 + k, 0, i), vals))
    write(p('n_zero_wind.dat'), lines)

    # Constant variables: threshold 0, zero covariances.
    t = Tower(28)
    lines = []
    for i in range(1800):
        vals = ['0.1', '0.1', '0.1', '700.1', '10.1', '20.1', '98.1']
        if i % 3 == 0:
            vals = t.values()
        lines.append(record(day, hms(10, 0, i), vals))
    for i in range(1800):
        lines.append(record(day, hms(10, 30, i), ['0.1', '0.1', '0.1', '700.1', '10.1', '20.1', '98.1']))
    write(p('n_const.dat'), lines)

    # Air properties that divide by zero (with a range file that admits P = 0).
    t = Tower(29)
    lines = []
    for k in range(3):
        for i in range(600):
            vals = t.values()
            vals[6] = '0'
            if k != 1:
                vals[4] = '0'
            if k == 2:
                vals[5] = '-273.16'
            lines.append(record(day, hms(10 + k, 0, i), vals))
    write(p('n_zero_air.dat'), lines)

    # Huge values (with a range file whose U limit is infinite).
    t = Tower(30)
    lines = []
    for i in range(1200):
        vals = t.values()
        vals[0] = '3e38' if i < 600 else ('1e38' if i % 2 else '-1e38')
        lines.append(record(day, hms(10, 0, i * 2), vals))
    write(p('n_huge.dat'), lines)

    # NUL bytes inside a date and inside values.
    t = Tower(31)
    lines = series(t, day, hms(10, 0), 2400)
    lines[0] = lines[0].replace(day, '2024\x0006-01', 1)
    for i in range(50, len(lines), 101):
        fields = lines[i].split(',')
        fields[1 + i % 7] = fields[1 + i % 7][:2] + '\x00' + fields[1 + i % 7][2:]
        lines[i] = ','.join(fields)
    write(p('n_nul.dat'), lines)

    # Old Mac line ends: CR only.
    t = Tower(32)
    write(p('n_cr_only.dat'), series(t, day, hms(10, 0), 600), eol='\r')

    # Values of exactly 19 and of 20 characters; rest of time stamp of 9 and 10.
    t = Tower(33)
    lines = []
    for i in range(2400):
        vals = t.values()
        if i % 5 == 0:
            vals[i % 7] = (vals[i % 7] + '0' * 30)[:19]
        if i % 5 == 1:
            vals[i % 7] = ' ' * 18 + '7'
        if i % 5 == 2:
            vals[i % 7] = ' ' * 19 + '7'
        stamp = '%s %s' % (day, clock(hms(10, 0, i)))
        if i % 4 == 0:
            stamp += '0000'
        if i % 4 == 1:
            stamp += '00000'
        lines.append('"%s",%s,%s' % (stamp, ','.join(vals), '0'))
    write(p('n_widths.dat'), lines)

    # More than 18000 records in one half hour, some with a bad status.
    t = Tower(34)
    lines = []
    for i in range(21000):
        status = '14' if i % 1000 == 7 else '0'
        lines.append(record(day, hms(10, 0) + i * 0.05, t.values(), status))
    lines += series(t, day, hms(10, 30), 600)
    write(p('n_over.dat'), lines)

    # Blank lines and a missing leading character among the records.
    t = Tower(35)
    lines = series(t, day, hms(10, 0), 2400)
    for i in (300, 301, 900, 1500):
        lines[i] = ''
    for i in (1200, 2100):
        lines[i] = lines[i][1:]
    write(p('n_blank_lines.dat'), lines)

    # A raw file whose name is longer than 199 characters.
    t = Tower(36)
    write(p('n_' + 'x' * 230 + '.dat'), series(t, day, hms(10, 0), 1200))
    list_name = 'n_' + 'x' * 230 + '.dat'

    # Samples equal to the tight range limits of r_tight.ini (CO2 692 and
    # 708, P 97 and 99): left out of the screening, kept when inside the band.
    t = Tower(37)
    lines = []
    for i in range(3600):
        vals = t.values()
        if i % 50 == 0:
            vals[3] = '692'
        if i % 50 == 25:
            vals[3] = '708'
        if i % 70 == 3:
            vals[6] = '99'
        if i % 90 == 5:
            vals[2] = '1.2'
        lines.append(record(day, hms(10, 0, i), vals))
    write(p('n_bounds.dat'), lines)

    # Half hours with exactly 5 and exactly 4 samples between full ones.
    t = Tower(38)
    lines = series(t, day, hms(10, 0), 1800)
    lines += series(t, day, hms(10, 30), 5)
    lines += series(t, day, hms(11, 0), 1800)
    lines += series(t, day, hms(11, 30), 4)
    lines += series(t, day, hms(12, 0), 1800)
    write(p('n_five.dat'), lines)

    # Range files.
    labels = ['U-Min', 'U-Max', 'V-Min', 'V-Max', 'W-Min', 'W-Max', 'CO2-Min', 'CO2-Max',
              'H2O-Min', 'H2O-Max', 'Ts-Min', 'Ts-Max', 'P-Min', 'P-Max']

    def range_file(name, values, eol='\r\n', count=14):
        text = ''.join('%s\t%s%s' % (labels[i], values[i], eol) for i in range(count))
        with open(p(name), 'wb') as f:
            f.write(text.encode('latin-1'))

    range_file('r_tight.ini', ['-5', '8', '-4', '6', '-1', '1.2', '692', '708', '9.5', '10.5',
                               '20', '22', '97', '99'], eol='\n')
    range_file('r_inverted.ini', ['-50', '50', '-50', '50', '-50', '50', '0', '1500', '100', '-20',
                                  '-50', '50', '30', '150'])
    range_file('r_odd.ini', [' 1e-3x', '0x1p6', '-50abc', '5e1', '-5E+1', '50.000000000000000001',
                             '+0', '1500', '-20', '100', '-50', '50', '30', '150'])
    range_file('r_p0.ini', ['-50', '50', '-50', '50', '-50', '50', '0', '1500', '-20', '100',
                            '-300', '50', '-1', '150'])
    range_file('r_inf.ini', ['-inf', 'inf', '-50', '50', '-50', '50', '0', '1500', '-20', '100',
                             '-50', '50', '30', '150'])
    range_file('r_cut.ini', ['-50', ' ' * 19 + '4', '-50', '50', '-50', '50', '0', '1500', '-20',
                             '100', '-50', '50', '30', '150'])
    with open(p('r_longlabel.ini'), 'wb') as f:
        f.write(b'A label much longer than nineteen\t-5\r\nU-Max\t6\r\n')
    range_file('r_nan.ini', ['-50', '50', '-50', '50', '-50', '50', '0', '1500', '-20', '100',
                             '-50', '50', 'nan', '150'])
    range_file('r_cr_only.ini', ['-2', '50', '-50', '50', '-50', '50', '0', '1500', '-20', '100',
                                 '-50', '50', '30', '150'], eol='\r')
    range_file('r_equal.ini', ['-50', '50', '-50', '50', '-50', '50', '0', '1500', '10', '10',
                               '-50', '50', '30', '150'])
    with open(p('r_empty.ini'), 'wb') as f:
        pass
    with open(p('r_short.ini'), 'wb') as f:
        f.write(b'U-Min\t-4\r\nU-Max\t9\r\nno tab here\r\nV-Max\t6\r\nW-Min\t-1\r\n')

    # List files.
    def list_file(name, names, eol='\r\n', final=True):
        text = eol.join(names) + (eol if final else '')
        with open(p(name), 'wb') as f:
            f.write(text.encode('latin-1'))

    list_file('l_nasty.txt', ['n_shortmid.dat', 'n_headers_only.dat', 'n_nolf_carry.dat',
                              'n_reject.dat', 'n_midnight.dat', 'n_numbers.dat'], final=False)
    list_file('l_lf.txt', ['n_long.dat', 'n_status.dat', 'n_clock.dat', 'n_cut_values.dat',
                           'n_badmid.dat'], eol='\n')
    list_file('l_missing.txt', ['n_twodays.dat', 'does_not_exist.dat', 'n_midnight.dat'])
    list_file('l_emptyline.txt', ['n_twodays.dat', '', 'n_midnight.dat'])
    list_file('l_empty.txt', [], final=False)
    list_file('l_five.txt', ['n_five.dat', 'n_bounds.dat', 'n_five.dat'])
    list_file('l_long.txt', ['n_twodays.dat', list_name])
    list_file('l_dup.txt', ['n_twodays.dat', 'n_over.dat', 'n_twodays.dat'], eol='\n')
    with open(p('l_cr_end.txt'), 'wb') as f:
        f.write(b'n_twodays.dat\r\nn_midnight.dat\r')


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else '.')
