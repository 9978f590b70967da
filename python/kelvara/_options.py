"""The options of kelvara's calls, checked and put into the forms the
compiled part takes: paths as text, the column map and status list as the
texts the command line reads, a site dict as the site file's text.

Every problem raises ValueError naming the option, and a file
that cannot be read raises the OSError of its errno naming the file, before
any work starts.
"""

import errno
import math
import numbers
import os
import stat


def file_list(files, option="files"):
    """A path or a list of paths (str or os.PathLike) as a list of str."""
    if isinstance(files, (str, bytes, os.PathLike)):
        files = [files]
    try:
        names = [os.fsdecode(os.fspath(name)) for name in files]
    except TypeError:
        raise ValueError(f"{option}: give a path or a list of paths (str or os.PathLike)") from None
    if not names:
        raise ValueError(f"{option}: no raw file given")
    return names


def optional_path(path, option):
    if path is None:
        return None
    try:
        return os.fsdecode(os.fspath(path))
    except TypeError:
        raise ValueError(f"{option}: give a path (str or os.PathLike)") from None


def check_readable(name):
    """Raises the OSError a reader would meet: FileNotFoundError,
    PermissionError, IsADirectoryError, or OSError for a pipe or a device
    (which the programs refuse: its reading could block or never end)."""
    info = os.stat(name)  # FileNotFoundError, PermissionError on a folder on the way
    if stat.S_ISDIR(info.st_mode):
        raise IsADirectoryError(errno.EISDIR, os.strerror(errno.EISDIR), name)
    if not stat.S_ISREG(info.st_mode):
        raise OSError(errno.EINVAL, "not a regular file", name)
    with open(name, "rb"):
        pass


def columns_text(columns):
    """None, "default", "auto" or a dict {"U": "Ux", ..., "status": "diag"}
    (header names or 1-based column numbers) as the map text."""
    if columns is None:
        return "default"
    if isinstance(columns, str):
        return columns
    if isinstance(columns, dict):
        items = []
        for target, column in columns.items():
            if not isinstance(target, str) or not isinstance(column, (str, int)) or isinstance(column, bool):
                raise ValueError(f"columns: {target!r}: {column!r}: give names (str) or column numbers (int)")
            text = str(column)
            if "," in text or "=" in text or "," in target or "=" in target:
                raise ValueError(f"columns: {target!r}: {column!r} holds a ',' or '='")
            items.append(f"{target}={text}")
        return ",".join(items)
    raise ValueError("columns: give None, \"auto\" or a dict such as {\"U\": \"Ux\", \"status\": \"diag\"}")


def good_status_text(good_status):
    """None, a text such as "0-13" or "0,1,4-7", or a list of ints."""
    if good_status is None or isinstance(good_status, str):
        return good_status
    try:
        values = list(good_status)
    except TypeError:
        raise ValueError("good_status: give a text such as \"0-13\" or a list of ints") from None
    if not values:
        raise ValueError("good_status: the list keeps no status")
    for value in values:
        if not isinstance(value, numbers.Integral) or isinstance(value, bool):
            raise ValueError(f"good_status: {value!r} is no int")
    return ",".join(str(int(value)) for value in values)


def plane_request(planar_fit):
    """(plane, fit_plane): None, "auto" or three numbers b0 (m/s), b1, b2."""
    if planar_fit is None:
        return None, False
    if isinstance(planar_fit, str):
        if planar_fit == "auto":
            return None, True
        raise ValueError(f"planar_fit: {planar_fit!r} is neither \"auto\" nor three coefficients (b0, b1, b2)")
    try:
        plane = tuple(float(b) for b in planar_fit)
    except (TypeError, ValueError):
        raise ValueError("planar_fit: give None, \"auto\" or three numbers (b0, b1, b2)") from None
    if len(plane) != 3:
        raise ValueError(f"planar_fit: {len(plane)} coefficients given, not three (b0, b1, b2)")
    return plane, False


def site_request(site):
    """(site_file, site_text): a site-file path, or a dict of the file's
    sections and keys written out as its text."""
    if site is None:
        return None, None
    if isinstance(site, dict):
        return None, site_text(site)
    name = optional_path(site, "site")
    check_readable(name)
    return name, None


def site_text(site):
    lines = []
    for section, keys in site.items():
        if not isinstance(section, str) or not isinstance(keys, dict):
            raise ValueError(f"site: {section!r}: give each section as a dict of its keys, e.g. "
                            "{\"site\": {\"measurement_height\": 3.0, \"latitude\": 52.1}}")
        lines.append(f"[{section}]")
        for key, value in keys.items():
            lines.append(f"{key} = {value_text(section, key, value)}")
    return "\n".join(lines) + "\n"


def value_text(section, key, value):
    if isinstance(value, bool) or not isinstance(value, (str, numbers.Real)):
        raise ValueError(f"site: {section}.{key}: {value!r} is neither a number nor a word")
    if isinstance(value, str):
        if "\n" in value or "#" in value or ";" in value:
            raise ValueError(f"site: {section}.{key}: {value!r} is no value of one line")
        return value
    if isinstance(value, numbers.Integral):
        return str(int(value))
    number = float(value)
    # repr is the shortest text that reads back as the same number; the file
    # reader takes no NaN or infinity, and says so.
    return repr(number) if math.isfinite(number) else str(number)


def positive_int(value, option):
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise ValueError(f"{option}: {value!r} is no int")
    if value < 1:
        raise ValueError(f"{option}: {value} is below 1")
    return int(value)


def non_negative(value, option, kind=float):
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise ValueError(f"{option}: {value!r} is no number")
    if kind is int and not isinstance(value, numbers.Integral):
        raise ValueError(f"{option}: {value!r} is no int")
    if not value >= 0:
        raise ValueError(f"{option}: {value} is below 0")
    return kind(value)
