#!/usr/bin/python3
"""The product-mix problem solved from Python: a DataFrame in, DataFrames out.

    python3 examples/python/productmix.py

Builds the problem in the dense layout, solves it with price ranging, prints
the plan, the shadow prices and the price ranges; then runs a small program
that solves it again with more labour, and compares the two objectives.
"""

import pandas as pd

import qmlp

problem = pd.DataFrame(
    {
        "_ID_": ["profit", "wood", "labour", "finishing"],
        "_TYPE_": ["MAX", "LE", "LE", "LE"],
        "chairs": [30, 2, 4, 1],
        "tables": [50, 4, 3, 2],
        "desks": [40, 3, 5, 1],
        "_RHS_": [None, 300, 360, 120],
    }
)

result = qmlp.solve(problem, rangeprice=True)
print(f"status {result.status}, profit {result.objective:.2f}")
print(result.primal[["_VAR_", "_STATUS_", "_VALUE_", "_R_COST_"]].to_string(index=False))
print(result.dual[["_ROW_ID_", "_VALUE_", "_DUAL_"]].to_string(index=False))
# An end of a price range that nothing limits is -inf or +inf.
print(result.tables["PriceRangeSummary"][["VarName", "MinPrice", "MaxPrice"]].to_string(index=False))

more_labour = problem.copy()
more_labour.loc[more_labour["_ID_"] == "labour", "_RHS_"] = 390
program = """
    LP data=work.base;
    RUN;
    LP data=work.more;
    RUN;
"""
base, more = qmlp.run(program, libraries={"work": {"base": problem, "more": more_labour}})
print(f"30 more hours of labour: profit {base.objective:.2f} -> {more.objective:.2f}")
