// ORVANE_API marks what the shared library exports: the classes, functions
// and variables of the installed headers. The library is built with hidden
// visibility, so everything else (detail/, the standard templates it
// instantiates) stays inside it. A new public class or function needs the
// mark, and abi/OrvaneSpt.symbols must list what it adds (abi/README.md).
// ORVANE_LOCAL keeps in a member of an exported class that only the library
// calls: one that takes an internal (detail::) type.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define ORVANE_API __attribute__((visibility("default")))
#define ORVANE_LOCAL __attribute__((visibility("hidden")))
#else
#define ORVANE_API
#define ORVANE_LOCAL
#endif
