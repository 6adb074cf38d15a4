// The run-time fixtures (SalesReport, MakeDatabase) now live in the shared
// support; this name is kept for the programs that still include it.
#pragma once

#include "support/TestSupport.h"
