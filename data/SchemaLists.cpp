// The schema list fillers.
#include <orvanespt/data/SchemaLists.h>

#include <orvanespt/data/ado/Connection.h>

namespace orvane::data {
namespace {

void ListSchema(const std::shared_ptr<Connection>& cnn, Picker& picker, int schema, const char* column) {
    picker.Clear();
    try {
        if (!cnn) return;
        const auto rs = cnn->OpenSchema(schema);
        while (!rs->Eof()) {
            picker.AddItem(rs->Fields()(column).Value().TextOr());
            rs->MoveNext();
        }
        rs->Close();
    } catch (...) {
        // The names listed so far stay.
    }
}

}  // namespace

void ListTables(const std::shared_ptr<Connection>& cnn, Picker& picker) {
    ListSchema(cnn, picker, kSchemaTables, "TABLE_NAME");
}

void ListProcedures(const std::shared_ptr<Connection>& cnn, Picker& picker) {
    ListSchema(cnn, picker, kSchemaProcedures, "PROCEDURE_NAME");
}

}  // namespace orvane::data
