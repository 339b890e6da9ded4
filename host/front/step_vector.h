// step_vector.h -- the step control vector (number 0): the end of a step
// and the reports of failed host calls.
#pragma once

#include "tym_host.h"

namespace qmlp::front {

// Thrown by end_step and caught by the step runner: how a module's step
// ends.  Host-private: it never derives from std::exception, so no handler
// of the host's own catches it on the way.
struct StepEnded {
    int end_code;
};

const TymStepVector* step_vector();

}  // namespace qmlp::front
