import math
import os
import signal
import tempfile
import warnings

import numpy as np
import pandas as pd
import pytest

import qmlp
from conftest import optimum

PRODUCT_MIX_OPTIMUM = 3771.428571428571


def product_mix():
    return pd.DataFrame(
        {
            "_ID_": ["profit", "wood", "labour", "finishing"],
            "_TYPE_": ["MAX", "LE", "LE", "LE"],
            "chairs": [30, 2, 4, 1],
            "tables": [50, 4, 3, 2],
            "desks": [40, 3, 5, 1],
            "_RHS_": [np.nan, 300, 360, 120],
        }
    )


def product_mix_sparse():
    frame = product_mix()
    rows = []
    for _, row in frame.iterrows():
        rows.append({"_TYPE_": row["_TYPE_"], "_COL_": None, "_ROW_": row["_ID_"], "_COEF_": np.nan})
        for column in ("chairs", "tables", "desks", "_RHS_"):
            if not math.isnan(row[column]):
                kind = "RHS" if column == "_RHS_" else None
                rows.append({"_TYPE_": kind, "_COL_": column, "_ROW_": row["_ID_"], "_COEF_": row[column]})
    return pd.DataFrame(rows)


class TestDataFrames:
    def test_dense_and_sparse_layouts_give_the_same_solution(self):
        dense = qmlp.solve(product_mix())
        sparse = qmlp.solve(product_mix_sparse(), sparse=True)
        for result in (dense, sparse):
            assert result.status == "SUCCESSFUL"
            assert result.objective == pytest.approx(PRODUCT_MIX_OPTIMUM, rel=1e-12)
            assert result.fields["P_FEAS"] == "YES" and result.fields["PHASE"] == 2
        primal = dense.primal.set_index("_VAR_")
        assert primal.loc["tables", "_VALUE_"] == pytest.approx(240 / 7)
        assert primal.loc["chairs", "_STATUS_"] == "" and primal.loc["tables", "_STATUS_"] == "_BASIC_"
        assert (dense.primal["_VALUE_"].to_numpy() == sparse.primal["_VALUE_"].to_numpy()).all()
        dual = dense.dual.set_index("_ROW_ID_")
        assert dual.loc["wood", "_DUAL_"] == pytest.approx(0.0, abs=1e-12)
        assert dense.tableau is None and dense.active is None

    def test_status_variable_and_tables(self):
        result = qmlp.solve(product_mix(), rangeprice=True)
        assert result.status_variable.startswith("STATUS=SUCCESSFUL")
        assert {"ProblemSummary", "SolutionSummary", "VariableSummary", "PriceRangeSummary"} <= set(result.tables)
        summary = result.tables["SolutionSummary"].set_index("Label")["Value"]
        assert summary["Objective Value"] == pytest.approx(PRODUCT_MIX_OPTIMUM)

    def test_special_missing_values_are_floats(self):
        ranges = qmlp.solve(product_mix(), rangeprice=True).tables["PriceRangeSummary"].set_index("VarName")
        assert ranges["MinPrice"].dtype == float
        # chairs is nonbasic in a maximisation: its price may fall without limit
        # (".M"), and no column enters there (".": missing, not a text).
        assert ranges.loc["chairs", "MinPrice"] == -math.inf
        assert math.isnan(ranges.loc["chairs", "MinObj"]) or ranges.loc["chairs", "MinObj"] == pytest.approx(
            PRODUCT_MIX_OPTIMUM
        )
        assert not any(isinstance(v, str) for v in ranges["MaxPrice"])

    def test_infinite_bounds_and_missing_codes_go_in(self):
        frame = product_mix()
        bounds = pd.DataFrame(
            {
                "_ID_": ["up"],
                "_TYPE_": ["UPPERBD"],
                "chairs": [math.inf],
                "tables": [10.0],
                "desks": [".I"],
                "_RHS_": [None],
            }
        )
        frame = pd.concat([frame, bounds], ignore_index=True)
        result = qmlp.solve(frame)
        primal = result.primal.set_index("_VAR_")
        assert primal.loc["tables", "_UBOUND_"] == 10
        # no upper bound is the largest double (INFINITY), as the data set holds it
        assert primal.loc["chairs", "_UBOUND_"] >= 1e308 and primal.loc["desks", "_UBOUND_"] >= 1e308
        assert primal.loc["tables", "_VALUE_"] == pytest.approx(10)

    def test_texts_that_look_like_numbers_stay_names(self):
        frame = product_mix()
        frame["_ID_"] = ["0", "1", "2", "3"]
        result = qmlp.solve(frame)
        assert result.status == "SUCCESSFUL"
        assert list(result.dual["_ROW_ID_"]) == ["0", "1", "2", "3"]

    def test_integer_problem_with_activeout_and_tableau(self, examples):
        knapsack = pd.read_csv(os.path.join(examples, "knapsack", "knapsack.csv"), na_values=["."])
        result = qmlp.solve(knapsack, activeout=True, tableauout=True)
        assert result.status == "SUCCESSFUL" and result.objective == pytest.approx(21)
        assert "INT_ITER" in result.fields
        assert result.active is not None and "_PROB_" in result.active.columns
        assert result.tableau is not None and "_BASIC_" in result.tableau.columns
        values = result.primal.set_index("_VAR_")["_VALUE_"]
        assert all(v == pytest.approx(round(v)) for v in values)

    def test_output_written_to_a_path_is_kept_and_read_back(self, tmp_path):
        target = tmp_path / "mix primal.csv"
        result = qmlp.solve(product_mix(), primalout=str(target))
        assert target.exists()
        assert result.primal is not None and set(result.primal["_VAR_"]) >= {"chairs", "tables", "desks"}
        written = pd.read_csv(target)
        assert "_VAR_$8" in written.columns  # a character variable, declared
        assert list(written["_VAR_$8"]) == list(result.primal["_VAR_"])


class TestWarmStart:
    def test_primal_of_a_result_starts_the_next_solve(self):
        first = qmlp.solve(product_mix())
        again = qmlp.solve(product_mix(), primalin=first.primal)
        assert again.objective == pytest.approx(first.objective, rel=1e-12)
        assert again.fields["PHASE1_ITER"] + again.fields["PHASE2_ITER"] == 0


class TestOptions:
    def test_iteration_limit_stops_the_solve(self):
        result = qmlp.solve(product_mix(), maxit=1)
        assert result.status != "SUCCESSFUL"
        assert result.fields["PHASE2_ITER"] + result.fields["PHASE1_ITER"] <= 1

    def test_keyword_values_and_no_forms(self):
        result = qmlp.solve(product_mix(), devex=False, scale="none", pricetype=0, epsilon=1e-9)
        assert result.objective == pytest.approx(PRODUCT_MIX_OPTIMUM, rel=1e-12)

    def test_bad_value_raises_with_the_check(self):
        with pytest.raises(qmlp.QmlpError) as failure:
            qmlp.solve(product_mix(), epsilon=-1)
        assert any("epsilon" in m.lower() for m in failure.value.messages)
        assert failure.value.exit_status == 2

    def test_unknown_option_raises(self):
        with pytest.raises(qmlp.QmlpError) as failure:
            qmlp.solve(product_mix(), nosuchoption=3)
        assert failure.value.messages

    @pytest.mark.parametrize(
        "options",
        [{"data": "x"}, {"sparsedata": True}, {"maxit": "1;RUN"}, {"epsilon": math.nan}, {"auto": (1, "x")}],
    )
    def test_options_that_cannot_be_written_are_refused_before_the_run(self, options):
        with pytest.raises(qmlp.OptionError):
            qmlp.solve(product_mix(), **options)


class TestFilesAndFaults:
    def test_mps_file_solves_to_the_known_optimum(self, netlib):
        result = qmlp.solve(os.path.join(netlib, "afiro.mps.gz"))
        assert result.status == "SUCCESSFUL"
        assert result.objective == pytest.approx(optimum(netlib, "afiro"), rel=1e-9)
        structural = result.primal[~result.primal["_TYPE_"].isin(["OBJECT", "SLACK", "SURPLUS"])]
        assert len(structural) == 32

    def test_malformed_mps_raises_with_file_and_line(self, tmp_path):
        bad = tmp_path / "bad.mps"
        bad.write_text("NAME bad\nROWS\n N obj\nCOLUMNS\n x obj abc\nENDATA\n")
        with pytest.raises(qmlp.QmlpError) as failure:
            qmlp.solve(str(bad))
        assert any("bad.mps:5" in m for m in failure.value.messages)

    def test_missing_file_and_lp_files(self, tmp_path):
        with pytest.raises(FileNotFoundError):
            qmlp.solve(str(tmp_path / "none.mps"))
        lp = tmp_path / "p.lp"
        lp.write_text("Maximize\n obj: 3 x + 2 y\nSubject To\n c1: x + y <= 4\n c2: x + 3 y <= 6\nBounds\n x <= 3\nEnd\n")
        assert qmlp.solve(str(lp)).objective == pytest.approx(11)
        lp.write_text("Maximize\n obj: 3 x +\nSubject To\nEnd\n")
        with pytest.raises(qmlp.QmlpError) as failure:
            qmlp.solve(str(lp))
        assert any("p.lp:" in m for m in failure.value.messages)

    def test_warnings_go_to_python_warnings(self):
        frame = product_mix()
        frame["_ID_"] = [1.0, 2.0, 3.0, 4.0]  # a numeric _ID_ becomes a column
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            qmlp.solve(frame)
        texts = [str(w.message) for w in caught if issubclass(w.category, qmlp.QmlpWarning)]
        assert any("_ID_" in t for t in texts)

    def test_infeasible_problem_is_a_status_not_an_exception(self):
        frame = pd.DataFrame(
            {"_ID_": ["c", "r1", "r2"], "_TYPE_": ["MIN", "GE", "LE"], "x": [1, 1, 1], "_RHS_": [np.nan, 5, 3]}
        )
        result = qmlp.solve(frame)
        assert result.status == "INFEASIBLE"
        assert result.objective is None or not math.isnan(result.objective)

    def test_duplicate_column_names_are_refused(self):
        frame = product_mix()
        frame["Chairs"] = 1
        with pytest.raises(qmlp.DataError):
            qmlp.solve(frame)

    def test_runs_leave_the_process_as_they_found_it(self, tmp_path, monkeypatch):
        monkeypatch.setenv("TMPDIR", str(tmp_path))
        monkeypatch.setattr(tempfile, "tempdir", str(tmp_path))
        handler = signal.getsignal(signal.SIGINT)
        for _ in range(3):
            qmlp.solve(product_mix())
        assert signal.getsignal(signal.SIGINT) is handler
        assert os.listdir(tmp_path) == []
