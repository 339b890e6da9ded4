// help_text.h -- what HELP prints at a pause and at the prompt after the
// program.
#pragma once

namespace qmlp::front {

// The statements a paused LP step takes, one NOTE line each.
void print_pause_help();

// The statements the prompt after the program takes.
void print_top_level_help();

}  // namespace qmlp::front
