// Fills a designer picker with the table or stored-procedure names of an
// open connection, for the record source editor.
#pragma once

#include <memory>
#include <string>

#include <orvanespt/platform/Export.h>

namespace orvane::data {

class Connection;

/// A drop-down list of texts the designer shows (its combo box implements it).
class ORVANE_API Picker {
public:
    virtual ~Picker() = default;
    /// Removes every item.
    virtual void Clear() = 0;
    /// Appends an item.
    virtual void AddItem(const std::string& text) = 0;
};

/// Clears the picker and adds every TABLE_NAME of OpenSchema(20) in the
/// provider's order (views and system tables included). Errors end the
/// listing: a null or closed connection leaves the picker empty.
ORVANE_API void ListTables(const std::shared_ptr<Connection>& cnn, Picker& picker);
/// The same with PROCEDURE_NAME of OpenSchema(16).
ORVANE_API void ListProcedures(const std::shared_ptr<Connection>& cnn, Picker& picker);

}  // namespace orvane::data
