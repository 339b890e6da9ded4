// options_doc.h -- the LP statement's options as a Markdown document, made
// from the grammar and the options table themselves, so that the user's
// documentation cannot drift from what the procedure accepts.
#pragma once

#include <string>

namespace tymlp {

// Every documented option of the LP statement, in grammar order: its
// keyword and aliases, what it takes, the valid values and the default.
// Experimental keywords (marked in the keyword table) are left out.
std::string lp_options_markdown();

}  // namespace tymlp
