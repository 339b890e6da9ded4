// run_codes.cpp -- the run status an end code imposes.
#include "base/run_codes.h"

namespace tymlp {

int run_status_for_end_code(int end_code) {
    switch (end_code) {
        case kEndBadData: return kRunBadData;
        case kEndMemory: return kRunMemory;
        case kEndIo: return kRunIo;
        case kEndSemantic: return kRunSemantic;
        case kEndSyntax: return kRunSyntax;
        default: return -1;  // 0, 1 and unknown codes leave the run status as it is
    }
}

}  // namespace tymlp
