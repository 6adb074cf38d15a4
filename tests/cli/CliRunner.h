// RunOrvane and ShellQuote now live in the shared support.
#pragma once

#include "support/TestSupport.h"
