"""Missing values between the data sets' codes and Python.

A numeric value of a data set is a number or a missing value: "." (ordinary),
".A" to ".Z" and "._" (special), where ".I" means +infinity and ".M" means
-infinity.  In Python they are floats: NaN for "." and every special letter
other than I and M, +inf for ".I" and -inf for ".M".  Data sets read back
keep the letters of the other special values in ``DataFrame.attrs["missing"]``
({column: {row: letter}}), since NaN alone cannot tell ".A" from ".".
"""

import math

MISSING_CODES = frozenset([".", "._"] + ["." + chr(c) for c in range(ord("A"), ord("Z") + 1)])


def code_to_float(code):
    """The float that stands for a missing-value code such as ".I"."""
    if code == ".I":
        return math.inf
    if code == ".M":
        return -math.inf
    return math.nan


def float_to_text(value):
    """A number as a data set cell: the shortest text that reads back exactly,
    "." for NaN, ".I" and ".M" for the infinities."""
    if value is None:
        return "."
    value = float(value)
    if math.isnan(value):
        return "."
    if math.isinf(value):
        return ".I" if value > 0 else ".M"
    if value == 0:
        return "0"  # also -0.0, which a data set does not keep
    if value.is_integer() and abs(value) < 1e15:
        return str(int(value))
    return repr(value)


def cell_to_python(value, column_type):
    """One cell of a printed table (as the table document holds it) in Python:
    the codes of a numeric column become floats, everything else stays."""
    if column_type in ("double", "mixed") and isinstance(value, str) and value in MISSING_CODES:
        return code_to_float(value)
    if column_type == "double" and value is None:
        return math.nan
    return value
