"""qmlp: linear and mixed-integer programming on pandas DataFrames.

``solve(problem, **options)`` solves one problem (a DataFrame in the dense
or sparse layout, or an MPS or LP file); ``run(program_text, libraries=...)`` runs
a whole program.  Both run the qmlp procedure module in this process, with
the same host as the qmlp command, and return ``Result`` objects.

Missing values: in DataFrames that go in and come out, "." is NaN (None is
read as "." too), ".I" is +inf and ".M" is -inf; a numeric column may also
hold the codes themselves as strings ("." , ".I", ".A", ...).  The letters
of other special missing values (".A" to ".Z", "._") read back as NaN and are
kept in ``frame.attrs["missing"]``.
"""

import os
import tempfile
import warnings

import pandas as pd

from . import _frames, _options, _result
from ._frames import DataError, Table
from ._options import OptionError
from ._result import Message, QmlpError, QmlpWarning, Result

__all__ = [
    "solve",
    "run",
    "Result",
    "Table",
    "Message",
    "QmlpError",
    "QmlpWarning",
    "OptionError",
    "DataError",
    "module_path",
]

__version__ = "1.0.0"


def module_path():
    """The procedure module this package loads: $QMLP_MODULE, else the
    libtymlp.so installed beside the package's extension."""
    path = os.environ.get("QMLP_MODULE")
    if path:
        return path
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), "libtymlp.so")


def _extension():
    from . import _engine as engine  # the extension; imported on first use

    return engine


def _call(stacklevel, **request):
    raw = _extension().run(module_path=module_path(), **request)
    results, log = _result.results_of(raw)
    _result.report(raw, results, log, stacklevel + 1)
    for result in results:
        for text in result.errors:
            # A step that went on after an ERROR (a bad RESET in a pause, say)
            # still succeeded; the message must not be lost.
            warnings.warn("ERROR: " + text, QmlpWarning, stacklevel=stacklevel + 1)
    return results, raw




def _problem_path(problem):
    if isinstance(problem, os.PathLike):
        return os.fspath(problem)
    if isinstance(problem, str):
        return problem
    return None


def solve(problem, sparse=False, **options):
    """Solves one problem and returns its ``Result``.

    ``problem`` is a pandas DataFrame in the dense layout (one row of the
    problem per row of the frame), or in the sparse layout with
    ``sparse=True``, or the path of an MPS or LP-format file (plain or
    gzipped).  The options are those of the LP statement: ``maxit=100``,
    ``rangeprice=True`` (the keyword), ``devex=False`` (its NO form),
    ``varselect="pensum"``, ``auto=(2, 5)``.  As with ``qmlp solve``, the
    iteration and time limits are as high as they go unless given.

    PRIMALOUT and DUALOUT are always read back (``result.primal``,
    ``result.dual``); ``tableauout=True`` and ``activeout=True`` ask for
    the other two.  A string value of an output option (a path, or a
    ``lib.member`` name of a library) writes the data set there as well.

    Raises QmlpError when the step fails (a bad option, bad data, ...);
    the log's WARNING messages are issued as QmlpWarning.
    """
    path = _problem_path(problem)
    with tempfile.TemporaryDirectory(prefix="qmlp-py-") as folder:
        texts = _solve_options(options, folder)
        if path is not None:
            if not os.path.exists(path):
                raise FileNotFoundError(path)
            request = dict(source="file", problem_path=path, options=texts)
        else:
            data_path = os.path.join(folder, "problem.csv")
            _frames.write_data_set(problem, data_path)
            request = dict(source="data", problem_path=data_path, sparse=bool(sparse), options=texts)
        cwd = os.getcwd()
        results, _ = _call(2, libnames={"WORK": folder}, default_lib=cwd, program_dir=cwd, **request)
    if not results:
        raise QmlpError(["the solve ran no step"], 2)
    return results[0]


def _solve_options(options, folder):
    """The options as statement text, with PRIMALOUT and DUALOUT (and the
    outputs asked for with True) sent to the WORK library, which a solve
    keeps in its own temporary folder; a DataFrame given for PRIMALIN or
    ACTIVEIN goes there too."""
    texts = []
    given = set()
    for name, value in options.items():
        upper = name.upper()
        if upper in _options.INPUT_OPTIONS and isinstance(value, pd.DataFrame):
            member = "input_" + upper.lower()
            _frames.write_data_set(value, os.path.join(folder, member + ".csv"))
            texts.append(f"{upper}=work.{member}")
            continue
        if upper == "DATA":
            raise OptionError("DATA= is the problem itself; pass it as the first argument")
        if upper == "SPARSEDATA":
            raise OptionError("the layout is chosen with sparse=True")
        kind = _options.OUTPUT_OPTIONS.get(upper)
        if kind is not None:
            if kind in given:
                raise OptionError(f"{kind} output is named twice")
            given.add(kind)
            if value is False or value is None:
                continue
            if value is True:
                value = "work." + kind
            texts.append(_options.option_text(upper, value))
            continue
        if value is None:
            continue
        texts.append(_options.option_text(name, value))
    for kind, option in (("primal", "PRIMALOUT"), ("dual", "DUALOUT")):
        if kind not in given:
            texts.append(f"{option}=work.{kind}")
    return texts


def _library_folders(libraries, folder):
    """Library name -> folder or database file, with dicts of DataFrames
    written as data sets into folders of their own under `folder`."""
    folders = {}
    databases = {}
    for name, value in (libraries or {}).items():
        if not isinstance(name, str) or not name:
            raise OptionError(f"{name!r} is not a library name")
        if isinstance(value, dict):
            target = os.path.join(folder, "lib-" + name.lower())
            os.makedirs(target)
            for member, frame in value.items():
                if not isinstance(member, str) or not member:
                    raise DataError(f"{member!r} is not a data set name of library {name}")
                _frames.write_data_set(frame, os.path.join(target, member.lower() + ".csv"))
            folders[name.upper()] = target
            continue
        path = _problem_path(value)
        if path is None:
            raise TypeError(f"library {name} is a folder, a database file or a dict of DataFrames")
        if os.path.isdir(path):
            folders[name.upper()] = path
        elif path.lower().endswith((".db", ".sqlite", ".sqlite3")) or os.path.isfile(path):
            databases[name.upper()] = path
        else:
            raise FileNotFoundError(f"the folder of library {name} does not exist: {path}")
    return folders, databases


def run(program_text, libraries=None, default_library=None):
    """Runs a whole program and returns the ``Result`` of each of its LP
    steps, in order.

    ``libraries`` maps library names to folders, to SQLite database files,
    or to dicts of DataFrames ({"problem": frame}), which the program reads
    as ``lib.problem``.  A dict given for WORK makes the frames WORK data
    sets.  The default library (data sets named without a library) is
    ``default_library``, else the current folder.

    Raises QmlpError when the program fails (with the results of the steps
    that ran); the log's WARNING messages are issued as QmlpWarning.
    """
    if not isinstance(program_text, str):
        raise TypeError("the program is a string")
    with tempfile.TemporaryDirectory(prefix="qmlp-py-") as folder:
        folders, databases = _library_folders(libraries, folder)
        cwd = os.getcwd()
        results, _ = _call(
            2,
            source="program",
            program=program_text,
            program_dir=cwd,
            default_lib=os.fspath(default_library) if default_library is not None else cwd,
            libnames=folders,
            sqlite_libraries=databases,
        )
    return results

