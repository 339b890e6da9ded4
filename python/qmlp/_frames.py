"""DataFrames in and out: problem data written as data sets, data sets and
printed tables read back as DataFrames."""

import csv
import json
import numbers

import numpy as np
import pandas as pd

from . import _values

_MAX_CHAR_LENGTH = 32767


class DataError(ValueError):
    """A DataFrame that cannot be written as a data set."""


def _numeric_cell(value):
    return value is None or is_number(value) or (isinstance(value, str) and value in _values.MISSING_CODES)


def _is_numeric_column(series):
    if pd.api.types.is_bool_dtype(series.dtype):
        return False
    if pd.api.types.is_numeric_dtype(series.dtype):
        return True
    # An object column of numbers with missing values written as None or as
    # their codes (".", ".I", ...) is numeric; one text makes it character.
    values = series.tolist()
    return bool(values) and series.dtype == object and all(_numeric_cell(v) for v in values)


def _numeric_text(value):
    if isinstance(value, str):
        return value  # a missing-value code, as written
    return _values.float_to_text(value)


def _text_cell(value):
    if value is None or (isinstance(value, float) and np.isnan(value)):
        return ""
    if isinstance(value, bytes):
        value = value.decode("utf-8")
    return str(value)


def write_data_set(frame, path):
    """Writes `frame` as a CSV data set at `path`.

    Numeric columns (integers, floats; booleans count as 0/1) are written
    with their missing values coded; every other column is declared
    character (``name$``), so that texts that look like numbers, such as row
    names "1" and "2", stay texts.  The index is not written: the problem's
    names are columns such as _ID_, _ROW_ and _COL_.
    """
    if not isinstance(frame, pd.DataFrame):
        raise TypeError(f"a problem is a pandas DataFrame, not {type(frame).__name__}")
    names = [str(c) for c in frame.columns]
    seen = {}
    for name in names:
        key = name.upper()
        if key in seen:
            raise DataError(f'the columns "{seen[key]}" and "{name}" have the same name regardless of case')
        seen[key] = name
    header = []
    writers = []
    for name, (_, series) in zip(names, frame.items()):
        if pd.api.types.is_bool_dtype(series.dtype):
            header.append(name)
            writers.append(lambda v: _values.float_to_text(float(v)))
        elif _is_numeric_column(series):
            header.append(name)
            writers.append(_numeric_text)
        else:
            texts = [_text_cell(v) for v in series]
            longest = max((len(t.encode("utf-8")) for t in texts), default=1)
            if longest > _MAX_CHAR_LENGTH:
                raise DataError(f'a value of column "{name}" is longer than {_MAX_CHAR_LENGTH} bytes')
            header.append(name + "$" + str(max(longest, 1)))
            writers.append(_text_cell)
    with open(path, "w", newline="", encoding="utf-8") as out:
        writer = csv.writer(out, lineterminator="\n")
        writer.writerow(header)
        columns = [frame.iloc[:, k].tolist() for k in range(frame.shape[1])]
        for row in zip(*columns):
            writer.writerow([write(v) for write, v in zip(writers, row)])


def data_set_frame(data_set):
    """A data set read back by the engine (a dict of the extension) as a
    DataFrame; the letters of special missing values go to attrs."""
    columns = {}
    letters = {}
    for column in data_set["columns"]:
        if column["numeric"]:
            columns[column["name"]] = column["values"]
            if column["letters"]:
                letters[column["name"]] = dict(column["letters"])
        else:
            columns[column["name"]] = pd.Series(column["values"], dtype=object)
    frame = pd.DataFrame(columns)
    frame.attrs["name"] = data_set["name"]
    if letters:
        frame.attrs["missing"] = letters
    return frame


class Table:
    """One printed table: its name, label, the groups it was printed under
    (names), the step that printed it and its contents as a DataFrame."""

    __slots__ = ("name", "label", "groups", "step", "frame")

    def __init__(self, name, label, groups, step, frame):
        self.name = name
        self.label = label
        self.groups = groups
        self.step = step
        self.frame = frame

    def __repr__(self):
        where = "/".join(self.groups + [self.name])
        return f"<Table {where} step {self.step}: {self.frame.shape[0]} rows>"


_CODE_FLOATS = {code: _values.code_to_float(code) for code in _values.MISSING_CODES}


def _table_frame(table):
    columns = table["columns"]
    names = [c["name"] for c in columns]
    frame = pd.DataFrame(table["rows"], columns=names)
    for k, column in enumerate(columns):
        series = frame.iloc[:, k]
        if column["type"] == "double":
            # Missing values arrive as their codes; numbers as numbers.
            if series.dtype == object:
                series = series.replace(_CODE_FLOATS)
            frame.isetitem(k, pd.to_numeric(series, errors="coerce").astype(float))
        elif column["type"] == "mixed" and series.dtype == object:
            frame.isetitem(k, series.map(lambda v: _CODE_FLOATS.get(v, v) if isinstance(v, str) else v))
    frame.attrs["label"] = table.get("label", "")
    return frame


def read_tables(document_text):
    """Every table of the table document, in printing order."""
    if not document_text:
        return []
    document = json.loads(document_text)
    tables = []
    for table in document.get("tables", []):
        tables.append(
            Table(
                table["name"],
                table.get("label", ""),
                list(table.get("group_path", [])),
                table.get("step", 0),
                _table_frame(table),
            )
        )
    return tables


def tables_by_name(tables):
    """A dict of the tables by name; a name printed again gets "#2", "#3"..."""
    named = {}
    counts = {}
    for table in tables:
        count = counts.get(table.name, 0) + 1
        counts[table.name] = count
        named[table.name if count == 1 else f"{table.name}#{count}"] = table.frame
    return named


def is_number(value):
    return isinstance(value, numbers.Real) and not isinstance(value, bool)
