// exit_status.h -- the exit status of the qmlp command.
//
//   0    every step ended with end code 0 or 1 and the program had no error
//   2    a step ended with 2000 or 3000 (statement or data semantics), or a
//        program error: unreadable program, unknown statement outside a
//        step, bad LIBNAME or %LET, a step that failed in an unexpected way
//   3    a step ended with 1008 (bad data)
//   4    a step ended with 1016 (out of memory)
//   5    a step ended with 1020 (input/output failure)
//   6    the procedure module could not be loaded (no step ran)
//   64   the command line is wrong
//   130  the program was ended by a second Ctrl-C
// Over several steps the largest status counts.
#pragma once

namespace qmlp::front {

constexpr int kExitOk = 0;
constexpr int kExitProgramError = 2;
constexpr int kExitBadData = 3;
constexpr int kExitMemory = 4;
constexpr int kExitIo = 5;
constexpr int kExitModuleLoad = 6;
constexpr int kExitUsage = 64;

// End codes a step may end with.
constexpr int kEndNormal = 0;
constexpr int kEndNormalOne = 1;
constexpr int kEndBadData = 1008;
constexpr int kEndMemory = 1016;
constexpr int kEndIo = 1020;
constexpr int kEndSemantic = 2000;
constexpr int kEndSyntax = 3000;
// Recorded by the host for a step that ended in an unexpected way.
constexpr int kEndAbnormal = -1;

// The exit status one step's end code asks for (unknown codes give 2).
int exit_status_for_end_code(int end_code);

class ExitStatus {
  public:
    void step_ended(int end_code) { raise(exit_status_for_end_code(end_code)); }
    void program_error() { raise(kExitProgramError); }
    void raise(int status) {
        if (status > value_) value_ = status;
    }
    int value() const { return value_; }

  private:
    int value_ = kExitOk;
};

}  // namespace qmlp::front
