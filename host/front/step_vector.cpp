// step_vector.cpp -- end of step and failure reports.
#include "front/step_vector.h"

#include <string>

#include "front/front_services.h"

namespace qmlp::front {
namespace {

[[noreturn]] void end_step(int end_code) { throw StepEnded{end_code}; }

int status_report(int, int status) {
    log_error("A host service called by the procedure failed with status " + std::to_string(status) + ".");
    return 0;
}

int io_error_report(int, int status) {
    log_error("A data set or utility file operation of the procedure failed with status " + std::to_string(status) +
              ".");
    return 0;
}

const TymStepVector kStepVector = {sizeof(TymStepVector), end_step, status_report, io_error_report};

}  // namespace

const TymStepVector* step_vector() { return &kStepVector; }

}  // namespace qmlp::front
