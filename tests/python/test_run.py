import os
import shutil
import sqlite3
import warnings

import numpy as np
import pandas as pd
import pytest

import qmlp

MIX = pd.DataFrame(
    {
        "_ID_": ["profit", "wood", "labour", "finishing"],
        "_TYPE_": ["MAX", "LE", "LE", "LE"],
        "chairs": [30, 2, 4, 1],
        "tables": [50, 4, 3, 2],
        "desks": [40, 3, 5, 1],
        "_RHS_": [np.nan, 300, 360, 120],
    }
)


class TestPrograms:
    def test_steps_each_have_their_own_results(self):
        program = """
            LP data=work.mix primalout=work.p1;
            RUN;
            %PUT between &_QMLP_;
            LP data=work.mix maxit=1 primalout=work.p2 dualout=work.d2;
            RUN;
        """
        first, second = qmlp.run(program, libraries={"work": {"mix": MIX}})
        assert first.step == 1 and second.step == 2
        assert first.status == "SUCCESSFUL" and second.status != "SUCCESSFUL"
        assert first.dual is None and second.dual is not None
        assert set(first.datasets) == {"WORK.P1"} and set(second.datasets) == {"WORK.P2", "WORK.D2"}
        assert first.primal["_VALUE_"].tolist() != second.primal["_VALUE_"].tolist()
        # each step's tables and log are its own
        assert all(t.step == 1 for t in first.table_list) and all(t.step == 2 for t in second.table_list)
        assert not any(m.text.startswith("between") for m in second.messages)

    def test_a_step_that_sets_no_status_has_none(self):
        program = "LP data=work.mix;\nRUN;\nLP data=work.mix rangerhs;\nRUN;\n"
        results = qmlp.run(program, libraries={"work": {"mix": MIX}})
        assert [r.status for r in results] == ["SUCCESSFUL", "SUCCESSFUL"]
        assert "RhsRangeSummary" in results[1].tables and "RhsRangeSummary" not in results[0].tables

    def test_folders_and_the_default_library(self, examples, tmp_path):
        shutil.copy(os.path.join(examples, "blending", "blending.csv"), tmp_path / "blend.csv")
        results = qmlp.run(
            "LIBNAME out '%s';\nLP data=blend primalout=out.sol;\nRUN;\n" % tmp_path, default_library=tmp_path
        )
        assert results[0].status == "SUCCESSFUL"
        assert (tmp_path / "sol.csv").exists()
        assert results[0].primal is not None

    def test_sqlite_library(self, tmp_path):
        database = tmp_path / "model.db"
        with sqlite3.connect(database) as connection:
            MIX.to_sql("mix", connection, index=False)
        (result,) = qmlp.run("LP data=db.mix primalout=db.sol;\nRUN;\n", libraries={"db": str(database)})
        assert result.objective == pytest.approx(3771.428571428571)
        with sqlite3.connect(database) as connection:
            stored = pd.read_sql("select * from sol", connection)
        assert stored["_VALUE_"].tolist() == pytest.approx(result.primal["_VALUE_"].tolist())

    def test_program_error_raises_with_the_steps_that_ran(self):
        program = "LP data=work.mix;\nRUN;\nLP data=work.nothere;\nRUN;\n"
        with pytest.raises(qmlp.QmlpError) as failure:
            qmlp.run(program, libraries={"work": {"mix": MIX}})
        error = failure.value
        assert error.exit_status != 0
        assert any("NOTHERE" in m.upper() for m in error.messages)
        assert len(error.results) == 2 and error.results[0].status == "SUCCESSFUL"

    def test_a_statement_error_leaves_no_status_of_its_own(self):
        program = "LP data=work.mix;\nRUN;\nLP data=work.mix epsilon=-1;\nRUN;\n"
        with pytest.raises(qmlp.QmlpError) as failure:
            qmlp.run(program, libraries={"work": {"mix": MIX}})
        first, second = failure.value.results
        assert first.status == "SUCCESSFUL"
        # the first step's _QMLP_ is not taken for the second's
        assert second.status_variable is None or not second.status_variable.startswith("STATUS=SUCCESSFUL")
        assert second.objective is None and second.exit_status == 2

    def test_statement_outside_a_step_is_an_error(self):
        with pytest.raises(qmlp.QmlpError) as failure:
            qmlp.run("FOO bar;\n")
        assert any("FOO" in m for m in failure.value.messages)

    def test_put_text_is_in_the_log_and_warnings_reach_python(self):
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            results = qmlp.run("%PUT &nosuchmacro;\n")
        assert results == []
        assert any(issubclass(w.category, qmlp.QmlpWarning) and "NOSUCHMACRO" in str(w.message).upper() for w in caught)

    def test_libraries_must_exist(self, tmp_path):
        with pytest.raises(FileNotFoundError):
            qmlp.run("LP data=x.y;\nRUN;\n", libraries={"x": str(tmp_path / "absent")})
        with pytest.raises(TypeError):
            qmlp.run("LP data=x.y;\nRUN;\n", libraries={"x": 3})


class TestLog:
    def test_folded_messages_are_joined(self):
        text = "NOTE: first part\n      second part\nWARNING: w\nplain line\n      indented plain\n"
        messages = qmlp._result.parse_log(text)
        assert [(m.severity, m.text) for m in messages] == [
            ("NOTE", "first part second part"),
            ("WARNING", "w"),
            ("", "plain line"),
            ("", "      indented plain"),
        ]

    def test_status_fields(self):
        fields = qmlp._result.parse_status("STATUS=SUCCESSFUL PHASE=2 OBJECTIVE=-1.5e3 INT_BEST=. X=YES")
        assert fields["STATUS"] == "SUCCESSFUL" and fields["PHASE"] == 2 and fields["OBJECTIVE"] == -1500.0
        assert np.isnan(fields["INT_BEST"]) and fields["X"] == "YES"


def test_example_script_runs(examples):
    import subprocess
    import sys

    done = subprocess.run(
        [sys.executable, os.path.join(examples, "python", "productmix.py")],
        capture_output=True,
        text=True,
        timeout=120,
    )
    assert done.returncode == 0, done.stderr
    assert "status SUCCESSFUL, profit 3771.43" in done.stdout
    assert "profit 3771.43 -> 3900.00" in done.stdout
