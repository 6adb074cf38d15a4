// A sales database on disk and a report over it, shared by the run-time tests
// of connections, record sources and the report-wide walk.
#pragma once

#include <sqlite3.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "model/Orvane.h"
#include "support/TestSupport.h"

namespace orvane::testing {

// Creates an SQLite database file from a script; throws when it fails.
inline void MakeDatabase(const std::string& path, const std::string& script) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(message);
}

inline const char* kSalesScript = R"(
CREATE TABLE clientes (id INTEGER, nombre TEXT, ciudad TEXT);
INSERT INTO clientes VALUES (1, 'Ana', 'Lima'), (2, 'Luis', 'Quito'), (3, 'Eva', 'Lima');
CREATE TABLE pedidos (id INTEGER, cliente_id INTEGER, total REAL, fecha TEXT);
INSERT INTO pedidos VALUES (10, 1, 5.5, '2024-01-05'), (11, 1, 7.25, '2024-02-01'), (12, 3, 1.0, '2024-03-09');
CREATE TABLE lineas (pedido_id INTEGER, producto TEXT, cantidad INTEGER);
INSERT INTO lineas VALUES (10, 'pan', 2), (10, 'leche', 1), (11, 'queso', 4), (12, 'pan', 9);
)";


// A report with connection "ventas" on the sales database and no record
// sources yet; Source() adds them.
struct SalesReport {
    ScratchDir dir;
    std::string dbPath = dir.file("ventas.db");
    std::shared_ptr<Orvane> rpt = std::make_shared<Orvane>();
    std::shared_ptr<eConnection> cnn = std::make_shared<eConnection>();

    SalesReport() {
        MakeDatabase(dbPath, kSalesScript);
        cnn->Name = "ventas";
        cnn->cnnString = SqliteString();
        rpt->AddConnection(cnn);
    }
    std::string SqliteString() const { return "Provider=SQLite;Data Source=" + dbPath; }

    // A record source under parent (the connection when null).
    std::shared_ptr<eRSource> Source(const std::string& name, const std::string& sql,
                                     const std::shared_ptr<eRSource>& parent = nullptr) {
        auto rs = std::make_shared<eRSource>();
        rs->Name = name;
        rs->SQLCommand = sql;
        rs->TypeofCommand = "1";
        rs->eCnn = cnn;
        (parent ? parent->eRSources : cnn->eRSources)->Add(rs);
        return rs;
    }
    // "Clientes" over every client in id order, each id linked to the
    // parameter pCliente (made here), with one child "Pedidos" running
    // ordersSql. Returns {clientes, pedidos}.
    std::pair<std::shared_ptr<eRSource>, std::shared_ptr<eRSource>> ClientsAndOrders(const std::string& ordersSql) {
        Param("pCliente", "adInteger", 0);
        auto clientes = Source("Clientes", "SELECT * FROM clientes ORDER BY id");
        clientes->eFieldNametoParameters = "id";
        clientes->idParameterLinked = "pCliente";
        return {clientes, Source("Pedidos", ordersSql, clientes)};
    }
    std::shared_ptr<eParameter> Param(const std::string& name, const std::string& type, Variant value = {}) {
        auto p = std::make_shared<eParameter>();
        p->Name = name;
        p->eType(type);
        p->Value = std::move(value);
        rpt->eParameters->Add(p);
        return p;
    }
};

}  // namespace orvane::testing
