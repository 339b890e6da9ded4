// engine_binding.cpp -- qmlp._engine: the host's embedded run for Python.
//
// One function, run(), takes the request as keyword arguments and returns a
// dict of plain Python values: the log as bytes (the step offsets count
// bytes), the listing and the table document as text, every step with the
// data sets it wrote, and the macro variables.  Numeric variables arrive as
// float64 arrays whose missing values are already what Python reads:
// NaN for "." and the letters, +inf for ".I" and -inf for ".M"; the letter of
// every other special missing value is kept beside the array.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>

#include "front/embedded_run.h"
#include "host_api.h"

namespace py = pybind11;
using qmlp::host::EmbeddedColumn;
using qmlp::host::EmbeddedDataSet;
using qmlp::host::EmbeddedRequest;
using qmlp::host::EmbeddedRun;
using qmlp::host::EmbeddedSource;

namespace {

EmbeddedSource source_named(const std::string& name) {
    if (name == "program") return EmbeddedSource::Program;
    if (name == "file") return EmbeddedSource::SolveFile;
    if (name == "data") return EmbeddedSource::SolveData;
    throw py::value_error("unknown source \"" + name + "\"");
}

// A numeric variable as an array, with the letters of the special missing
// values that NaN alone would lose ({row: "A"}, ... ; "." and I/M need none).
py::dict numeric_column(const EmbeddedColumn& column) {
    const size_t rows = column.numbers.size();
    py::array_t<double> values(static_cast<py::ssize_t>(rows));
    double* out = values.mutable_data();
    py::dict letters;
    for (size_t r = 0; r < rows; ++r) {
        const double value = column.numbers[r];
        const int letter = qmlp::host::missing_letter(value);
        if (letter == 0) {
            out[r] = value;
        } else if (letter == 'I') {
            out[r] = std::numeric_limits<double>::infinity();
        } else if (letter == 'M') {
            out[r] = -std::numeric_limits<double>::infinity();
        } else {
            out[r] = std::numeric_limits<double>::quiet_NaN();
            if (letter != '.') letters[py::int_(r)] = std::string(1, static_cast<char>(letter));
        }
    }
    py::dict d;
    d["name"] = column.name;
    d["numeric"] = true;
    d["values"] = values;
    d["letters"] = letters;
    return d;
}

py::dict data_set_dict(const EmbeddedDataSet& set) {
    py::list columns;
    for (const EmbeddedColumn& column : set.columns) {
        if (column.numeric) {
            columns.append(numeric_column(column));
        } else {
            py::dict d;
            d["name"] = column.name;
            d["numeric"] = false;
            d["values"] = column.texts;
            columns.append(d);
        }
    }
    py::dict d;
    d["name"] = set.name;
    d["readable"] = set.readable;
    d["columns"] = columns;
    return d;
}

py::dict run(const std::string& source, const std::string& program, const std::string& problem_path, bool sparse,
             const std::vector<std::string>& options, const std::string& program_dir, const std::string& default_lib,
             const std::map<std::string, std::string>& libnames,
             const std::map<std::string, std::string>& sqlite_libraries, int64_t memsize,
             const std::string& module_path, bool read_outputs) {
    EmbeddedRequest request;
    request.source = source_named(source);
    request.program = program;
    request.problem_path = problem_path;
    request.sparse = sparse;
    request.options = options;
    request.program_dir = program_dir;
    request.default_lib = default_lib;
    request.libnames = libnames;
    request.sqlite_libraries = sqlite_libraries;
    request.memsize = memsize;
    request.module_path = module_path;
    request.read_outputs = read_outputs;

    EmbeddedRun result;
    {
        // The solve may take long; other Python threads go on meanwhile
        // (the host serialises runs itself).
        py::gil_scoped_release unlocked;
        qmlp::host::run_embedded(request, result);
    }

    py::list steps;
    for (const auto& step : result.steps) {
        py::list outputs;
        for (const EmbeddedDataSet& set : step.outputs) outputs.append(data_set_dict(set));
        py::dict d;
        d["number"] = step.number;
        d["end_code"] = step.end_code;
        d["exit_status"] = step.exit_status;
        d["status_set"] = step.status_set;
        d["status_macro"] = step.status_macro;
        d["log_begin"] = step.log_begin;
        d["log_end"] = step.log_end;
        d["outputs"] = outputs;
        steps.append(d);
    }
    py::dict d;
    d["exit_status"] = result.exit_status;
    d["log"] = py::bytes(result.log);
    d["listing"] = py::bytes(result.listing);
    d["tables_json"] = py::bytes(result.tables_json);
    d["steps"] = steps;
    d["macros"] = result.macros;
    return d;
}

}  // namespace

PYBIND11_MODULE(_engine, m) {
    m.doc() = "The qmlp host and procedure module, run in this process.";
    m.def("run", &run, py::kw_only(), py::arg("source"), py::arg("program") = "", py::arg("problem_path") = "",
          py::arg("sparse") = true, py::arg("options") = std::vector<std::string>{}, py::arg("program_dir") = ".",
          py::arg("default_lib") = "", py::arg("libnames") = std::map<std::string, std::string>{},
          py::arg("sqlite_libraries") = std::map<std::string, std::string>{}, py::arg("memsize") = 0,
          py::arg("module_path"), py::arg("read_outputs") = true);
}
