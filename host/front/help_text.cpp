// help_text.cpp -- the HELP statement's text.
#include "front/help_text.h"

#include "front/front_services.h"

namespace qmlp::front {

void print_pause_help() {
    static const char* const kLines[] = {
        "The run is paused. Statements end with \";\":",
        "  RUN;                   go on",
        "  PIVOT;                 go on for one simplex pivot, then pause again",
        "  IPIVOT;                go on for one integer iteration (integer problems)",
        "  SHOW [OPTIONS] [STATUS];  the options in force and where the run stands",
        "  PRINT;                 the solution, variable and constraint summaries; or one of",
        "    PRINT SOLUTION | COLUMN(names) | ROW(names) | INTEGER | NONZEROS | ZEROS;",
        "    PRINT TABLEAU | MATRIX | PICTURE | RANGEPRICE | RANGERHS | SENSITIVITY | BEST;",
        "  RESET option=value ...;  change options",
        "  QUIT; or QUIT SAVE;    end the run (SAVE writes the output data sets first)",
        "PRINT and SHOW leave the run as it was. Ctrl-C clears the line being typed; Ctrl-D ends",
        "the input, and later pauses go on at once.",
    };
    for (const char* line : kLines) log_note(line);
}

void print_top_level_help() {
    static const char* const kLines[] = {
        "Statements end with \";\":",
        "  LP options; ... RUN;   run an LP step (its pauses read what follows)",
        "  %PUT text;  %LET name = value;  LIBNAME name 'folder';   host statements",
        "  QUIT;                  end qmlp (so does the end of the input, Ctrl-D)",
        "Ctrl-C clears the line being typed.",
    };
    for (const char* line : kLines) log_note(line);
}

}  // namespace qmlp::front
