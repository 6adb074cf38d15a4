#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <orvanespt/data/ado/Command.h>

namespace orvane::testing {

ScratchDir::ScratchDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("orvane-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void MakeDatabase(const std::string& path, const std::string& script) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(message);
}

bool OtherProcessWrites(const std::string& db, const std::string& sql) {
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("sqlite3", "sqlite3", db.c_str(), sql.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_NE(WEXITSTATUS(status), 127) << "the sqlite3 program is missing";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::shared_ptr<data::Recordset> Execute(const std::shared_ptr<data::Connection>& cnn, const std::string& sql) {
    data::Command cmd;
    cmd.ActiveConnection = cnn;
    cmd.CommandText = sql;
    return cmd.Execute();
}

std::vector<std::string> Rows(const std::shared_ptr<data::Recordset>& rs) {
    std::vector<std::string> rows;
    if (!rs || rs->State() != 1 || (rs->Eof() && rs->Bof())) return rows;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        std::string row;
        for (const auto& f : rs->Fields()) row += (row.empty() ? "" : "|") + f.Value().TextOr("NULL");
        rows.push_back(row);
    }
    return rows;
}

std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Outcome RunOrvane(const std::string& args) {
    ScratchDir io;
    const std::string cmd = "cd " + ShellQuote(ORVANE_SOURCE_DIR) + " && " + ShellQuote(ORVANE_CLI) + " " + args +
                            " >" + ShellQuote(io.file("out")) + " 2>" + ShellQuote(io.file("err")) + " </dev/null";
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(io.file("out")), ReadFile(io.file("err"))};
}

const char* const kSalesScript = R"(
CREATE TABLE clientes (id INTEGER, nombre TEXT, ciudad TEXT);
INSERT INTO clientes VALUES (1, 'Ana', 'Lima'), (2, 'Luis', 'Quito'), (3, 'Eva', 'Lima');
CREATE TABLE pedidos (id INTEGER, cliente_id INTEGER, total REAL, fecha TEXT);
INSERT INTO pedidos VALUES (10, 1, 5.5, '2024-01-05'), (11, 1, 7.25, '2024-02-01'), (12, 3, 1.0, '2024-03-09');
CREATE TABLE lineas (pedido_id INTEGER, producto TEXT, cantidad INTEGER);
INSERT INTO lineas VALUES (10, 'pan', 2), (10, 'leche', 1), (11, 'queso', 4), (12, 'pan', 9);
)";

ReportOn::ReportOn(const std::string& cnnString) {
    cnn->Name = "ventas";
    cnn->cnnString = cnnString;
    rpt->AddConnection(cnn);
}

std::shared_ptr<eRSource> ReportOn::Source(const std::string& name, const std::string& sql,
                                           const std::shared_ptr<eRSource>& parent) {
    auto rs = std::make_shared<eRSource>();
    rs->Name = name;
    rs->SQLCommand = sql;
    rs->TypeofCommand = "1";
    rs->eCnn = cnn;
    (parent ? parent->eRSources : cnn->eRSources)->Add(rs);
    return rs;
}

std::shared_ptr<eParameter> ReportOn::Param(const std::string& name, const std::string& type, Variant value) {
    auto p = std::make_shared<eParameter>();
    p->Name = name;
    p->eType(type);
    p->Value = std::move(value);
    rpt->eParameters->Add(p);
    return p;
}

SalesReport::SalesReport() {
    MakeDatabase(dbPath, kSalesScript);
    cnn->cnnString = SqliteString();
}

std::pair<std::shared_ptr<eRSource>, std::shared_ptr<eRSource>> SalesReport::ClientsAndOrders(
    const std::string& ordersSql) {
    Param("pCliente", "adInteger", 0);
    auto clientes = Source("Clientes", "SELECT * FROM clientes ORDER BY id");
    clientes->eFieldNametoParameters = "id";
    clientes->idParameterLinked = "pCliente";
    return {clientes, Source("Pedidos", ordersSql, clientes)};
}

}  // namespace orvane::testing
