// factoid.h -- the key-value tables live with the rest of the table output
// plumbing, where the analyses below the reports reach them too.
#pragma once

#include "output/factoid.h"
