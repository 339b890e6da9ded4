// exit_status.cpp -- end codes to exit statuses.
#include "front/exit_status.h"

namespace qmlp::front {

int exit_status_for_end_code(int end_code) {
    switch (end_code) {
        case kEndNormal:
        case kEndNormalOne: return kExitOk;
        case kEndSemantic:
        case kEndSyntax: return kExitProgramError;
        case kEndBadData: return kExitBadData;
        case kEndMemory: return kExitMemory;
        case kEndIo: return kExitIo;
        default: return kExitProgramError;
    }
}

}  // namespace qmlp::front
