"""Keyword arguments as the LP statement's options."""

import math
import numbers
import re

from . import _values

_NAME = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")

# The options whose value is a data set.  The outputs are what a solve hands
# back as DataFrames; the inputs are read by the step.
OUTPUT_OPTIONS = {
    "PRIMALOUT": "primal",
    "POUT": "primal",
    "DUALOUT": "dual",
    "DOUT": "dual",
    "TABLEAUOUT": "tableau",
    "TOUT": "tableau",
    "ACTIVEOUT": "active",
    "AOUT": "active",
}
INPUT_OPTIONS = {"PRIMALIN", "PIN", "ACTIVEIN", "AIN"}


class OptionError(ValueError):
    """An option that cannot be written into an LP statement."""


def _number_text(name, value):
    value = float(value) if not isinstance(value, numbers.Integral) else int(value)
    if isinstance(value, float) and math.isnan(value):
        raise OptionError(f"the option {name} is NaN")
    return _values.float_to_text(value) if isinstance(value, float) else str(value)


def option_text(name, value):
    """One option as written in an LP statement: True is the keyword, False
    its NO form, a number or a word its value, a pair (a, b) a pair."""
    upper = name.upper()
    if not _NAME.match(name):
        raise OptionError(f'"{name}" is not an option name')
    if value is True:
        return upper
    if value is False:
        return "NO" + upper
    if isinstance(value, numbers.Real):
        return f"{upper}={_number_text(upper, value)}"
    if isinstance(value, (tuple, list)):
        if not value or not all(isinstance(v, numbers.Real) and not isinstance(v, bool) for v in value):
            raise OptionError(f"the option {upper} takes a pair of numbers, not {value!r}")
        return f"{upper}=(" + ", ".join(_number_text(upper, v) for v in value) + ")"
    if isinstance(value, str):
        if ";" in value:
            raise OptionError(f'the value of {upper} holds a ";", which would end the LP statement')
        if not value.strip():
            raise OptionError(f"the option {upper} has an empty value")
        return f"{upper}={value}"
    raise OptionError(f"the option {upper} cannot take a value of type {type(value).__name__}")
