import math

import numpy as np
import pandas as pd
import pytest

import qmlp
from qmlp import _frames, _options, _values


class TestDataSetWriter:
    def read_back(self, tmp_path, frame):
        path = tmp_path / "d.csv"
        _frames.write_data_set(frame, path)
        return path.read_text().splitlines()

    def test_numbers_read_back_exactly_and_missing_values_are_coded(self, tmp_path):
        frame = pd.DataFrame({"x": [0.1, 1e300, -0.0, math.nan, math.inf, -math.inf, 3.0, 2**60]})
        lines = self.read_back(tmp_path, frame)
        assert lines == ["x", "0.1", "1e+300", "0", ".", ".I", ".M", "3", "1.152921504606847e+18"]
        assert float(lines[1]) == 0.1

    def test_text_columns_are_declared_character_and_quoted(self, tmp_path):
        frame = pd.DataFrame({"name": ["1", 'a "b", c', None], "v": [1, 2, 3]})
        lines = self.read_back(tmp_path, frame)
        assert lines[0] == "name$8,v"
        assert lines[2] == '"a ""b"", c",2'
        assert lines[3] == ",3"

    def test_object_column_of_numbers_and_codes_is_numeric(self, tmp_path):
        frame = pd.DataFrame({"r": [None, 5, ".I", ".A"], "t": ["MIN", "LE", "UPPERBD", "LE"]})
        lines = self.read_back(tmp_path, frame)
        assert lines[0] == "r,t$7"
        assert [line.split(",")[0] for line in lines[1:]] == [".", "5", ".I", ".A"]

    def test_booleans_are_numbers(self, tmp_path):
        assert self.read_back(tmp_path, pd.DataFrame({"b": [True, False]})) == ["b", "1", "0"]

    def test_not_a_frame(self, tmp_path):
        with pytest.raises(TypeError):
            _frames.write_data_set([[1, 2]], tmp_path / "d.csv")


class TestValues:
    def test_table_cells(self):
        assert _values.cell_to_python(".I", "double") == math.inf
        assert _values.cell_to_python(".M", "mixed") == -math.inf
        assert math.isnan(_values.cell_to_python(".", "double"))
        assert math.isnan(_values.cell_to_python(".Z", "double"))
        assert _values.cell_to_python(".", "character") == "."
        assert _values.cell_to_python("x", "mixed") == "x"

    def test_read_back_letters_are_kept(self):
        data_set = {
            "name": "WORK.X",
            "readable": True,
            "columns": [
                {"name": "v", "numeric": True, "values": np.array([1.0, math.nan, math.nan]), "letters": {2: "A"}},
                {"name": "s", "numeric": False, "values": ["a", "", "c"]},
            ],
        }
        frame = _frames.data_set_frame(data_set)
        assert frame.attrs["missing"] == {"v": {2: "A"}}
        assert frame["s"].tolist() == ["a", "", "c"]

    def test_repeated_table_names_are_numbered(self):
        tables = [_frames.Table(n, "", [], 1, pd.DataFrame()) for n in ("A", "B", "A", "A")]
        assert list(_frames.tables_by_name(tables)) == ["A", "B", "A#2", "A#3"]


class TestOptionText:
    @pytest.mark.parametrize(
        "name, value, text",
        [
            ("maxit", 100, "MAXIT=100"),
            ("epsilon", 1e-9, "EPSILON=1e-09"),
            ("rangeprice", True, "RANGEPRICE"),
            ("devex", False, "NODEVEX"),
            ("varselect", "pensum", "VARSELECT=pensum"),
            ("auto", (2, 5), "AUTO=(2, 5)"),
            ("maxit", np.int64(7), "MAXIT=7"),
        ],
    )
    def test_written_as_in_a_statement(self, name, value, text):
        assert _options.option_text(name, value) == text

    @pytest.mark.parametrize("name, value", [("a b", 1), ("x", ""), ("x", "a;b"), ("x", {}), ("x", ())])
    def test_refused(self, name, value):
        with pytest.raises(qmlp.OptionError):
            _options.option_text(name, value)
