// A report over a copy of the example's sales database, for the dialogs that
// read fields and parameters: connection "Ventas", record source "Ventas"
// (one row per order with its Total) with a child "Lineas", and the
// parameters Desde and Hasta.
#pragma once

#include <fstream>
#include <sstream>

#include "support/TestSupport.h"

namespace orvane::testing {

// A copy of the example's sales database at path.
inline void MakeSalesDatabase(const std::string& path) {
    std::ifstream script(std::string(ORVANE_SOURCE_DIR) + "/examples/sales/ventas.sql");
    std::stringstream text;
    text << script.rdbuf();
    MakeDatabase(path, text.str());
}

struct SalesExample : ReportOn {
    ScratchDir dir;
    std::shared_ptr<eRSource> ventas;

    SalesExample() {
        const std::string db = dir.file("ventas.db");
        MakeSalesDatabase(db);
        cnn->Name = "Ventas";
        cnn->cnnString = "Provider=SQLite;Data Source=" + db;
        ventas = Source("Ventas",
                        "SELECT p.id_pedido, p.fecha, SUM(l.cantidad * l.precio) AS Total FROM pedidos p "
                        "JOIN lineas l ON l.id_pedido = p.id_pedido GROUP BY p.id_pedido, p.fecha");
        Source("Lineas", "SELECT producto, cantidad FROM lineas", ventas);
        for (const char* name : {"Desde", "Hasta"}) Param(name, "adInteger")->Predef = "0";
    }
};

}  // namespace orvane::testing
