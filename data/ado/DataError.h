// DataError: the one exception type of the data-access layer. Every failing
// operation of a connection, command, parameter or recordset raises it with a
// readable text (the provider's own message where there is one); the callers
// in the model and data layers trap it. Texts never hold a password.
#pragma once

#include <stdexcept>
#include <string>

#include <orvanespt/platform/Export.h>

namespace orvane::data {

/// A failure of the data layer: a connection, a command or a recordset
/// refused what was asked; what() says why.
class ORVANE_API DataError : public std::runtime_error {
public:
    /// An error with that text.
    explicit DataError(const std::string& what) : std::runtime_error(what) {}
};

/// A filter or sort text that cannot be read.
class ORVANE_API ExpressionError : public DataError {
public:
    /// An error with that text.
    explicit ExpressionError(const std::string& what) : DataError(what) {}
};

}  // namespace orvane::data
