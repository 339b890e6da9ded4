// data_status.h -- status codes returned by the data part's vector entries.
//
// Every entry of the memory, data set and utility file vectors returns 0 on
// success and one of these negative codes on failure, so that the step's
// status report can tell the user what went wrong.
#pragma once

namespace qmlp::host::data {

enum DataStatus : int {
    kOk = 0,
    kBadHandle = -1,    // a handle the host never gave out, or already closed
    kBadArgument = -2,  // an argument outside its legal range
    kIoFailure = -3,    // the operating system refused a read, write or seek
    kPastEnd = -4,      // a read asked for bytes beyond the end of the file
    kBadData = -5,      // a data set file is malformed (reported with its line)
    kNoMemory = -6,     // the memory limit or the system refused an allocation
    kWrongState = -7,   // e.g. a variable defined after the first observation
};

// Text for a status, used in log lines.
const char* status_text(int status);

}  // namespace qmlp::host::data
