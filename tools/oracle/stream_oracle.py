#!/usr/bin/env python3
"""Independent reference of how the standard methods and the corrections
read raw files: full time stamps, the files of a run as one stream, and
half-hour blocks keyed by the absolute half hour.

Written from the reading rules, not from Kelvara's code:

- A record is a line after the four header lines with at least the fields
  its layout needs (a shorter line is passed over). Its time field (the
  first, or the one a logger table's header names) is `YYYY-MM-DD` or
  `YYYY/MM/DD`, a blank or `T`, `hh:mm:ss` with an optional fraction, in a
  pair of double quotes or not, with blanks around; a real calendar day
  and time. A record whose time field does not read stops the run.
- The files of a run: each file once (by its canonical path), ordered by
  their first record's time (stable; a file without records last).
- The stream: a record earlier than the last kept record (good status, not
  dropped) is dropped and counted for its file, whatever its status; equal
  times are kept. A block is one half hour of the clock counted from 1970:
  the stream's first record opens it, each good record of another half
  hour closes it and opens the next. Bad-status records give no sample.
- A half hour is written as its end, `YYYY-MM-DD HH:MM`.

Used by standard_oracle.py and flux_oracle.py; not run on its own.
"""

import os
import re
import sys

# A dev tool run from the source tree: leave no __pycache__ beside it.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kelvara_oracle as ko  # noqa: E402

HEADER_LINES = 4
DEFAULT_FIELDS = 9
HALF_HOUR = 1800
FORMS = ('YYYY-MM-DD hh:mm:ss or YYYY/MM/DD hh:mm:ss, a blank or T between date and time, '
         'seconds with any fraction, quoted or not, years 1678 to 2261')

# ---------------------------------------------------------------------------
# Time stamps

# Blanks a time field may have around it (and around its quotes).
_BLANKS = b' \t\r'
_STAMP = re.compile(rb'([0-9]{4})([-/])([0-9]{2})\2([0-9]{2})[ T]([0-9]{2}):([0-9]{2}):([0-9]{2})'
                    rb'(?:\.([0-9]*))?')


def leap(year):
    return year % 4 == 0 and (year % 100 != 0 or year % 400 == 0)


def days_in_month(year, month):
    if month == 2:
        return 29 if leap(year) else 28
    return 30 if month in (4, 6, 9, 11) else 31


def days_before_year(year):
    """Days from 0000-01-01 to year-01-01 (proleptic Gregorian)."""
    y = year - 1
    return 0 if year == 0 else 366 + y * 365 + y // 4 - y // 100 + y // 400


_EPOCH = days_before_year(1970)


def day_number(year, month, day):
    """Days since 1970-01-01."""
    days = days_before_year(year) + day - 1
    for m in range(1, month):
        days += days_in_month(year, m)
    return days - _EPOCH


def civil_day(days):
    """(year, month, day) of a day counted from 1970-01-01."""
    days += _EPOCH
    year = days * 400 // 146097
    while days_before_year(year + 1) <= days:
        year += 1
    while days_before_year(year) > days:
        year -= 1
    days -= days_before_year(year)
    month = 1
    while days >= days_in_month(year, month):
        days -= days_in_month(year, month)
        month += 1
    return year, month, days + 1


_DAYS = {}


def parse_time(field):
    """The instant of a time field as (seconds since 1970, fraction digits
    without trailing zeros): tuples that order as the instants do. None
    when the field is no time stamp."""
    text = field.strip(_BLANKS)
    if len(text) >= 2 and text[:1] == b'"' and text[-1:] == b'"':
        text = text[1:-1]
    m = _STAMP.fullmatch(text)
    if not m:
        return None
    date = m.group(1, 3, 4)
    days = _DAYS.get(date)
    if days is None:
        year, month, day = (int(g) for g in date)
        # Nanoseconds since 1970 in 64 bits reach these years whole.
        if not (1678 <= year <= 2261 and 1 <= month <= 12 and 1 <= day <= days_in_month(year, month)):
            return None
        days = _DAYS[date] = day_number(year, month, day)
    hour, minute, second = int(m.group(5)), int(m.group(6)), int(m.group(7))
    if hour > 23 or minute > 59 or second > 59:
        return None
    fraction = (m.group(8) or b'').rstrip(b'0')
    return days * 86400 + hour * 3600 + minute * 60 + second, fraction


def half_hour_of(time):
    return time[0] // HALF_HOUR


def half_hour_end_text(half_hour):
    """`YYYY-MM-DD HH:MM`, the end of a half hour (the last of a day ends at
    the next day's 00:00)."""
    seconds = (half_hour + 1) * HALF_HOUR
    year, month, day = civil_day(seconds // 86400)
    clock = seconds % 86400
    return '%04d-%02d-%02d %02d:%02d' % (year, month, day, clock // 3600, clock % 3600 // 60)


def half_hour_start(half_hour):
    """(year, month, day, hour, minute) of a half hour's start."""
    seconds = half_hour * HALF_HOUR
    year, month, day = civil_day(seconds // 86400)
    clock = seconds % 86400
    return year, month, day, clock // 3600, clock % 3600 // 60

# ---------------------------------------------------------------------------
# Layouts: where a line's fields are


class DefaultLayout:
    """Time stamp, U, V, W, CO2, H2O, Ts, P, status, split at every comma."""

    needed = DEFAULT_FIELDS

    @staticmethod
    def fields(line):
        return line.split(b',')

    @staticmethod
    def time_field(fields):
        return fields[0]

    @staticmethod
    def record(fields):
        values = [ko.f32(ko.atof(fields[k][:ko.VALUE_WIDTH])) for k in range(1, 8)]
        status = ko.atoi(fields[8][:ko.STATUS_WIDTH])
        return values, 0 <= status <= 13


ALIASES = [('ux', 'u'), ('uy', 'v'), ('uz', 'w'), ('co2', 'rho_c'), ('h2o', 'rho_v'),
           ('ts', 't_sonic', 'tsonic'), ('press', 'p', 'amb_press')]
# Unit conversions, applied in double before the value is rounded to single.
CONVERSIONS = [
    {}, {}, {}, {'mmol/m^3': lambda x: x * 44.0095}, {'mmol/m^3': lambda x: x * 0.01801528},
    {'k': lambda x: x - 273.15}, {'pa': lambda x: x / 1000.0, 'hpa': lambda x: x / 10.0},
]


def split_fields(line):
    """A logger line's comma-separated fields; a quoted field may hold commas."""
    fields = []
    p = 0
    while True:
        start = p
        if p < len(line) and line[p:p + 1] == b'"':
            close = line.find(b'"', p + 1)
            p = len(line) if close < 0 else close + 1
        comma = line.find(b',', p)
        if comma < 0:
            fields.append(line[start:])
            return fields
        fields.append(line[start:comma])
        p = comma + 1


def header_names(line):
    return [f.strip().strip(b'"').strip().decode('latin-1').lower() for f in split_fields(line)]


class TableLayout:
    """A logger table whose second header line names the columns
    (`--columns auto`), converted from the units of its third."""

    def __init__(self, lines):
        names = header_names(lines[1].rstrip(b'\r'))
        units = header_names(lines[2].rstrip(b'\r'))
        self.time = names.index('timestamp') if 'timestamp' in names else 0
        self.columns = []
        self.convert = []
        for k, aliases in enumerate(ALIASES):
            column = next(names.index(a) for a in aliases if a in names)
            self.columns.append(column)
            self.convert.append(CONVERSIONS[k].get(units[column]))
        self.status = next(i for i, n in enumerate(names) if n == 'status' or n.startswith('diag'))
        self.needed = max(self.columns + [self.time, self.status]) + 1

    @staticmethod
    def fields(line):
        return split_fields(line.rstrip(b'\r'))

    def time_field(self, fields):
        return fields[self.time]

    def record(self, fields):
        values = []
        for column, convert in zip(self.columns, self.convert):
            value = ko.atof(fields[column][:ko.VALUE_WIDTH])
            values.append(ko.f32(convert(value) if convert else value))
        status = fields[self.status][:ko.STATUS_WIDTH].strip()
        good = status.lstrip(b'+-')[:1].isdigit() and 0 <= ko.atoi(status) <= 13
        return values, good

# ---------------------------------------------------------------------------
# Files and the stream


class BadTimeStamp(Exception):
    def __init__(self, name, line, text):
        super().__init__(name)
        self.name, self.line, self.text = name, line, text

    def reason(self):
        # A message stays one line on a terminal.
        text = self.text.replace(b'\r', b' ').replace(b'\n', b' ')
        return (b'line %d: "%s" is no time stamp; the forms read are %s'
                % (self.line, text, FORMS.encode('ascii')))


class RawFile:
    """One raw file of a stream: its name as given, its lines, its layout."""

    def __init__(self, name, data, table):
        self.name = name
        self.path = name
        self.lines = data.split(b'\n')
        self.layout = TableLayout(self.lines) if table else DefaultLayout()

    def records(self):
        """(line number, fields, time) of every record; raises BadTimeStamp."""
        layout = self.layout
        for index in range(HEADER_LINES, len(self.lines)):
            fields = layout.fields(self.lines[index])
            if len(fields) < layout.needed:
                continue
            field = layout.time_field(fields)
            time = parse_time(field)
            if time is None:
                raise BadTimeStamp(self.name, index + 1, field)
            yield index + 1, fields, time

    def first_time(self):
        for _, _, time in self.records():
            return time
        return None


def order_files(files, same_file, warn):
    """The files of a run, each once, in the order of their first records'
    times; warns of a file named again and of a changed order. Raises
    BadTimeStamp when a first record's time does not read."""
    once = []
    for f in files:
        if any(same_file(f.path, g.path) for g in once):
            warn(b'kelvara-cli: ' + f.name + b': named more than once; read once')
        else:
            once.append(f)
    firsts = [f.first_time() for f in once]
    order = sorted(range(len(once)), key=lambda i: (firsts[i] is None, firsts[i] or (0, b'')))
    if order != sorted(order):
        warn(b'kelvara-cli: warning: the raw files are read in the order of their first time stamps, '
             b'not in the order given')
    return [once[i] for i in order]


class Stream:
    """The blocks of the ordered files as one stream: (half hour, the
    samples of its good records as seven lists). Counts, per file, the
    records dropped as earlier than the records before them."""

    def __init__(self, files):
        self.files = files
        self.dropped = [0] * len(files)

    def blocks(self):
        last_kept = None
        key = None
        samples = None
        for index, raw in enumerate(self.files):
            layout = raw.layout
            for _, fields, time in raw.records():
                if last_kept is not None and time < last_kept:
                    self.dropped[index] += 1
                    continue
                half_hour = time[0] // HALF_HOUR
                if key is None:
                    key = half_hour
                    samples = [[] for _ in range(7)]
                values, good = layout.record(fields)
                if not good:
                    continue
                if half_hour != key:
                    yield key, samples
                    key = half_hour
                    samples = [[] for _ in range(7)]
                for k in range(7):
                    samples[k].append(values[k])
                last_kept = time
        if key is not None:
            yield key, samples

    def report_dropped(self, warn):
        for raw, count in zip(self.files, self.dropped):
            if count == 1:
                text = b'1 record earlier than the records before it dropped (overlap or duplicate file)'
            elif count > 1:
                text = b'%d records earlier than the records before them dropped (overlap or duplicate file)' % count
            else:
                continue
            warn(b'kelvara-cli: ' + raw.name + b': ' + text)


def warn(line):
    """One line of bytes to stderr, in order with ko.message's."""
    sys.stderr.flush()
    sys.stderr.buffer.write(line + b'\n')
    sys.stderr.buffer.flush()


def time_stamp_failure(error):
    """The messages of a run stopped by a time field that does not read."""
    ko.message("Can't Read Time Stamp!", 'A time stamp of the raw data file does not read!')
    warn(b'kelvara-cli: ' + error.name + b': ' + error.reason())
