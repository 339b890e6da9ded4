// image_info.h -- what the host finds through mcn_main: the image-information
// block and the module table with the procedure entry.
#pragma once

#include "tym_image.h"

extern "C" {
// The one exported entry: records the host and the value passed with it and
// returns the image-information block.  It does nothing else.
__attribute__((visibility("default"))) const TymImageInfo* mcn_main(const TymHost* host, int64_t value);
}

namespace tymlp {

const TymImageInfo& image_info();
const TymModuleTable& module_table();

// The build date as "Mon dd yyyy" from the compiler's date text.
const char* build_date();

}  // namespace tymlp
