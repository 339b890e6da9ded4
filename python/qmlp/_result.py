"""What a step hands back, and the log's messages."""

import math
import re
import warnings

from . import _frames


class QmlpError(Exception):
    """A run that failed.  ``messages`` holds the ERROR messages of the log
    (the text after "ERROR: "), ``exit_status`` the status the qmlp command
    would have ended with, ``results`` the results of the steps that ran and
    ``log`` the whole log."""

    def __init__(self, messages, exit_status, results=(), log=""):
        self.messages = list(messages)
        self.exit_status = exit_status
        self.results = list(results)
        self.log = log
        text = "\n".join(self.messages) if self.messages else f"the run ended with exit status {exit_status}"
        super().__init__(text)


class QmlpWarning(UserWarning):
    """A WARNING message of the log."""


class Message:
    """One message of the log: severity "NOTE", "WARNING", "ERROR" or ""
    (a line written as it is, such as the text of %PUT), and its text with
    folded lines joined again."""

    __slots__ = ("severity", "text")

    def __init__(self, severity, text):
        self.severity = severity
        self.text = text

    def __repr__(self):
        return f"{self.severity}: {self.text}" if self.severity else self.text


_PREFIX = re.compile(r"^(NOTE|WARNING|ERROR): ?(.*)$")
_CONTINUATION = " " * 6


def parse_log(text):
    """The messages of a log: a long message is folded onto lines indented
    by six blanks, which belong to the message above them."""
    messages = []
    for line in text.splitlines():
        match = _PREFIX.match(line)
        if match:
            messages.append(Message(match.group(1), match.group(2)))
        elif line.startswith(_CONTINUATION) and messages and messages[-1].severity:
            messages[-1].text += " " + line[len(_CONTINUATION):]
        else:
            messages.append(Message("", line))
    return messages


def parse_status(value):
    """_QMLP_ as a dict: "STATUS=SUCCESSFUL OBJECTIVE=3.5 ..." gives
    {"STATUS": "SUCCESSFUL", "OBJECTIVE": 3.5, ...}; numbers become int or
    float, and the missing value "." becomes NaN."""
    fields = {}
    for word in value.split():
        name, sep, text = word.partition("=")
        if not sep:
            continue
        fields[name] = _field_value(text)
    return fields


def _field_value(text):
    if text == ".":
        return math.nan
    if re.fullmatch(r"[-+]?\d+", text):
        return int(text)
    try:
        return float(text)
    except ValueError:
        return text


_SIGNATURES = (
    ("primal", ("_VAR_", "_R_COST_")),
    ("dual", ("_ROW_ID_", "_DUAL_")),
    ("tableau", ("_BASIC_",)),
    ("active", ("_PROB_", "_SINFEA_")),
)


def output_kind(frame):
    """Which output data set a frame is, by the variables only that one has
    ("primal", "dual", "tableau", "active"), or None."""
    names = {str(c).upper() for c in frame.columns}
    for kind, required in _SIGNATURES:
        if all(name in names for name in required):
            return kind
    return None


class Result:
    """The results of one LP step.

    ``status`` and ``objective`` come from ``fields``, the _QMLP_ variable
    the step set, as a dict.  ``primal``, ``dual``, ``tableau`` and
    ``active`` are the output data sets the step wrote (None when it wrote
    none), ``datasets`` every data set it wrote by name, ``tables`` every
    table it printed by name (a name printed again gets "#2", "#3", ...;
    ``table_list`` has them all in order with their groups), ``messages``
    and ``log`` its part of the log, and ``listing`` the listing of the run.
    """

    def __init__(self, step, log, tables, listing):
        self.step = step["number"]
        self.end_code = step["end_code"]
        self.exit_status = step["exit_status"]
        self.status_variable = step["status_macro"] if step["status_set"] else None
        self.fields = parse_status(self.status_variable or "")
        self.status = self.fields.get("STATUS")
        objective = self.fields.get("OBJECTIVE")
        # "OBJECTIVE=." (no current objective) is None, like no status at all.
        has_value = isinstance(objective, (int, float)) and not math.isnan(objective)
        self.objective = float(objective) if has_value else None
        self.log = log
        self.messages = parse_log(log)
        self.listing = listing
        self._document = tables
        self._tables = None
        self.datasets = {}
        self.primal = self.dual = self.tableau = self.active = None
        for data_set in step["outputs"]:
            if not data_set["readable"]:
                continue
            frame = _frames.data_set_frame(data_set)
            self.datasets[data_set["name"]] = frame
            kind = output_kind(frame)
            if kind is not None and getattr(self, kind) is None:
                setattr(self, kind, frame)

    @property
    def table_list(self):
        """Every table the step printed, in order, as Table records."""
        return [t for t in self._document.tables() if t.step == self.step]

    @property
    def tables(self):
        if self._tables is None:
            self._tables = _frames.tables_by_name(self.table_list)
        return self._tables

    @property
    def errors(self):
        return [m.text for m in self.messages if m.severity == "ERROR"]

    @property
    def warnings(self):
        return [m.text for m in self.messages if m.severity == "WARNING"]

    def __repr__(self):
        return f"<qmlp.Result step {self.step}: {self.status_variable or 'no status'}>"


class _TableDocument:
    """The run's printed tables, turned into DataFrames when first asked for:
    a large problem prints tables of thousands of rows that most callers
    never look at."""

    def __init__(self, text):
        self._text = text
        self._tables = None

    def tables(self):
        if self._tables is None:
            self._tables = _frames.read_tables(self._text.decode("utf-8", errors="replace"))
            self._text = None
        return self._tables


def results_of(raw):
    """The step results of a run of the extension, and the whole log."""
    log_bytes = raw["log"]
    log = log_bytes.decode("utf-8", errors="replace")
    listing = raw["listing"].decode("utf-8", errors="replace")
    tables = _TableDocument(raw["tables_json"])
    results = []
    for step in raw["steps"]:
        part = log_bytes[step["log_begin"] : step["log_end"]].decode("utf-8", errors="replace")
        results.append(Result(step, part, tables, listing))
    return results, log


def report(raw, results, log, stacklevel):
    """Sends the log's warnings to Python's warnings and raises QmlpError
    (with the ERROR messages) when the run failed; KeyboardInterrupt when
    breaks ended it."""
    messages = parse_log(log)
    for message in messages:
        if message.severity == "WARNING":
            warnings.warn(message.text, QmlpWarning, stacklevel=stacklevel + 1)
    status = raw["exit_status"]
    if status == 130:
        raise KeyboardInterrupt("the run was ended by a break")
    if status != 0:
        errors = [m.text for m in messages if m.severity == "ERROR"]
        raise QmlpError(errors, status, results, log)
