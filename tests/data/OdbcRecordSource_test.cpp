// Record sources through ODBC against real databases: PostgreSQL, reached by
// an ODBC string and by a PostgreSQL OLE DB string, and MariaDB, reached by a
// MySQL-provider OLE DB string (the throwaway servers of scripts/pg-server.sh
// and scripts/mariadb-server.sh; skipped when their variables are not set),
// and SQLite through Debian's sqliteodbc driver. The same master-detail walk,
// parameter binding, schema lists, client-side filter and sort, procedure
// call and refused strings run on each.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <orvanespt/data/SchemaLists.h>
#include <orvanespt/data/ado/OdbcCatalog.h>
#include <orvanespt/platform/Text.h>
#include "support/TestSupport.h"

namespace orvane {
namespace {

using testing::Rows;
using Texts = std::vector<std::string>;

const char* const kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

struct Backend {
    std::string name;
    const char* server = nullptr;  // the variable prefix of its test server; null for SQLite
    const char* procedure = nullptr;
};

const char* const kPgFunction =
    "CREATE OR REPLACE FUNCTION pedidos_de(cid INTEGER) RETURNS TABLE(id INTEGER, total DOUBLE PRECISION) "
    "AS $$ SELECT id, total FROM pedidos WHERE cliente_id = cid ORDER BY id $$ LANGUAGE SQL";
const char* const kMariaProcedure =
    "CREATE OR REPLACE PROCEDURE pedidos_de(IN cid INT) SELECT id, total FROM pedidos WHERE cliente_id = cid ORDER BY "
    "id";

void PrintTo(const Backend& b, std::ostream* os) {
    *os << b.name;
}

const std::vector<std::string> kSchema = {
    "DROP TABLE IF EXISTS lineas",
    "DROP TABLE IF EXISTS pedidos",
    "DROP TABLE IF EXISTS clientes",
    "CREATE TABLE clientes (id INTEGER, nombre VARCHAR(40), ciudad VARCHAR(40))",
    "INSERT INTO clientes VALUES (1, 'Ana', 'Lima'), (2, 'Luis', 'Quito'), (3, 'Eva', 'Lima')",
    "CREATE TABLE pedidos (id INTEGER, cliente_id INTEGER, total DOUBLE PRECISION, fecha DATE)",
    "INSERT INTO pedidos VALUES (10, 1, 5.5, '2024-01-05'), (11, 1, 7.25, '2024-02-01'), (12, 3, 1.0, '2024-03-09')",
    "CREATE TABLE lineas (pedido_id INTEGER, producto VARCHAR(40), cantidad INTEGER)",
    "INSERT INTO lineas VALUES (10, 'pan', 2), (10, 'leche', 1), (11, 'queso', 4), (12, 'pan', 9)",
};

class OdbcRecordSources : public ::testing::TestWithParam<Backend>, public testing::ReportOn {
protected:
    void SetUp() override {
        if (const std::string server = GetParam().server ? GetParam().server : ""; !server.empty()) {
            const char* cs = std::getenv(server.c_str());
            const char* user = std::getenv((server + "_USER").c_str());
            const char* password = std::getenv((server + "_PASSWORD").c_str());
            if (!cs || !user || !password) GTEST_SKIP() << "no test server (" << server << ")";
            const bool odbc = std::string(cs).starts_with("Driver=");
            cnnString_ = std::string(cs) + (odbc ? "UID=" : "User ID=") + user + (odbc ? ";PWD=" : ";Password=") +
                         password + ";";
        } else {
            if (!std::filesystem::exists(kSqliteDriver)) GTEST_SKIP() << "SQLite3 ODBC driver not installed";
            cnnString_ = std::string("Driver=") + kSqliteDriver + ";Database=" + dir_.file("odbc.db") + ";";
        }
        auto raw = std::make_shared<data::Connection>();
        raw->Open(cnnString_, "", "");
        for (const auto& sql : kSchema) testing::Execute(raw, sql);
        if (GetParam().procedure) testing::Execute(raw, GetParam().procedure);
        raw->Close();
        cnn->cnnString = cnnString_;
    }

    testing::ScratchDir dir_;
    std::string cnnString_;
};

TEST_P(OdbcRecordSources, WalksMasterDetailByMacroAndSentParametersAndBindsEachCategory) {
    Param("IdCliente", "adInteger", 0);
    Param("IdPedido", "adInteger", 0);
    auto clientes = Source("clientes", "SELECT id, nombre FROM clientes ORDER BY id");
    clientes->eFieldNametoParameters = "id";
    clientes->idParameterLinked = "IdCliente";
    auto pedidos = Source("pedidos", "SELECT id FROM pedidos WHERE cliente_id = @IdCliente ORDER BY id", clientes);
    pedidos->eFieldNametoParameters = "id";
    pedidos->idParameterLinked = "IdPedido";
    auto lineas =
        Source("lineas", "SELECT producto, cantidad FROM lineas WHERE pedido_id = ? ORDER BY producto", pedidos);
    lineas->SendParameters = "IdPedido";

    ASSERT_TRUE(cnn->OpenConnection()) << cnn->LastOpenError;
    ASSERT_TRUE(clientes->OpenRecordsource()) << clientes->LastOpenError;
    EXPECT_EQ(Rows(pedidos->ADORecordset), (Texts{"10", "11"}));
    EXPECT_EQ(Rows(lineas->ADORecordset), (Texts{"leche|1", "pan|2"}));

    // Walk the top level; each move re-queries both lower levels.
    clientes->MoveNext();
    EXPECT_EQ(clientes->ADORecordset->Fields()("nombre").Value().TextOr(), "Luis");
    EXPECT_TRUE(Rows(pedidos->ADORecordset).empty()) << "Luis has no orders";
    clientes->MoveNext();
    EXPECT_EQ(Rows(pedidos->ADORecordset), (Texts{"12"}));
    pedidos->MoveFirst();
    EXPECT_EQ(Rows(lineas->ADORecordset), (Texts{"pan|9"}));
    clientes->MoveNext();
    EXPECT_TRUE(clientes->Eof());

    Param("Minimo", "adDouble", 5.0);
    Param("Desde", "adDBDate", "2024-01-10");
    Param("Nombre", "adVarChar", "Ana");
    Param("Cliente", "adInteger", Variant::MakeNull());
    auto rs = Source("filtrados",
                     "SELECT id FROM pedidos WHERE total > ? AND fecha >= ? "
                     "AND cliente_id IN (SELECT id FROM clientes WHERE nombre = ?) ORDER BY id");
    rs->SendParameters = "Minimo, ,Desde,,Nombre";
    ASSERT_TRUE(rs->OpenRecordsource()) << rs->LastOpenError;
    EXPECT_EQ(Rows(rs->ADORecordset), (Texts{"11"}));

    auto none = Source("ninguno", "SELECT id FROM pedidos WHERE cliente_id = ?");
    none->SendParameters = "Cliente";
    ASSERT_TRUE(none->OpenRecordsource()) << none->LastOpenError;
    EXPECT_TRUE(none->Eof()) << "a NULL parameter matches no row";

    // Filters and sorts apply on the client; a malformed filter is refused, not applied.
    auto all = Source("todos", "SELECT id, cliente_id, total FROM pedidos");
    all->RTFilter = "total > 1 AND cliente_id = 1";
    all->RTOrder = "total DESC";
    ASSERT_TRUE(all->OpenRecordsource()) << all->LastOpenError;
    EXPECT_EQ(Rows(all->ADORecordset), (Texts{"11|1|7.25", "10|1|5.5"}));
    all->RTFilter = "total >";
    EXPECT_FALSE(all->ApplyFilter());
}

// A refused connection string is a false result without the password; then
// the tables are listed and a stored function called.
TEST_P(OdbcRecordSources, ARefusedStringIsFalseWithoutThePasswordThenTablesListAndAFunctionRuns) {
    // A wrong password (and database) for the servers; a driver nobody has.
    cnn->cnnString =
        GetParam().server ? cnnString_ + "Database=no_such_db;PWD=S3cretPw;" : "Driver={No Such Driver};PWD=S3cretPw;";
    EXPECT_FALSE(cnn->OpenConnection());
    EXPECT_FALSE(cnn->LastOpenError.empty());
    EXPECT_EQ(cnn->LastOpenError.find("S3cretPw"), std::string::npos) << cnn->LastOpenError;
    auto rs = Source("x", "SELECT 1");
    EXPECT_FALSE(rs->OpenRecordsource());
    EXPECT_TRUE(rs->Eof());

    cnn->cnnString = cnnString_;
    ASSERT_TRUE(cnn->OpenConnection()) << cnn->LastOpenError;
    auto refused = Source("refused", "SELECT nada FROM ninguna");
    EXPECT_FALSE(refused->OpenRecordsource());
    EXPECT_NE(refused->LastOpenError.find("no se pudo ejecutar la consulta: "), std::string::npos)
        << refused->LastOpenError;
    if (GetParam().server) {
        // Eighteen digits with no scale still fit a whole number exactly; read as a real they would not.
        auto wide = Source("ancho", "SELECT CAST(123456789012345678 AS DECIMAL(18,0)) AS n");
        ASSERT_TRUE(wide->OpenRecordsource()) << wide->LastOpenError;
        EXPECT_EQ(Rows(wide->ADORecordset), (Texts{"123456789012345678"}));
    }

    struct Names : data::Picker {
        std::vector<std::string> items;
        void Clear() override { items.clear(); }
        void AddItem(const std::string& t) override { items.push_back(t); }
    } tables, procedures;
    data::ListTables(cnn->ADOCnn, tables);
    for (const char* t : {"clientes", "pedidos", "lineas"})
        EXPECT_NE(std::find(tables.items.begin(), tables.items.end(), t), tables.items.end()) << t;

    Param("IdCliente", "adInteger", 1);
    auto call = Source("llamada", "pedidos_de");
    call->TypeofCommand = "4";
    call->SendParameters = "IdCliente";
    if (!GetParam().procedure) {
        EXPECT_FALSE(call->OpenRecordsource()) << "SQLite has no stored procedures";
        return;
    }
    data::ListProcedures(cnn->ADOCnn, procedures);
    EXPECT_NE(std::find(procedures.items.begin(), procedures.items.end(), "pedidos_de"), procedures.items.end());
    ASSERT_TRUE(call->OpenRecordsource()) << call->LastOpenError;
    EXPECT_EQ(Rows(call->ADORecordset), (Texts{"10|5.5", "11|7.25"}));
    if (!cnnString_.starts_with("Driver={PostgreSQL")) return;
    // Fetched two rows at a time, a failure at the third comes mid-result:
    // reported as reading the rows, never a shorter result.
    cnn->cnnString = cnnString_ + "UseDeclareFetch=1;Fetch=2;";
    ASSERT_TRUE(cnn->OpenConnection()) << cnn->LastOpenError;
    auto cut = Source("cortado", "SELECT 10 / (3 - g) AS x FROM generate_series(1, 5) g");
    EXPECT_FALSE(cut->OpenRecordsource());
    EXPECT_NE(cut->LastOpenError.find("no se pudo leer las filas: [22012]"), std::string::npos) << cut->LastOpenError;
}

// What a report prints is what the server holds: decimals with every digit,
// fractions of a second, times alone and truth values, read, bound, filtered
// and sorted exactly; a list of texts renders as valid literals.
TEST_P(OdbcRecordSources, ServerValuesReachTheHostExactlyAndBindBackExactly) {
    if (!GetParam().server) GTEST_SKIP() << "SQLite holds no exact decimals";
    const bool maria = GetParam().procedure == kMariaProcedure;
    auto raw = std::make_shared<data::Connection>();
    raw->Open(cnnString_, "", "");
    testing::Execute(raw, "DROP TABLE IF EXISTS valores");
    testing::Execute(raw, std::string("CREATE TABLE valores (id INTEGER, importe NUMERIC(20,2), precio NUMERIC(10,2), "
                                      "hora TIME(6), momento ") +
                              (maria ? "DATETIME(6)" : "TIMESTAMP(6)") + ", activo BOOLEAN, nombre VARCHAR(40))");
    testing::Execute(raw,
                     "INSERT INTO valores VALUES "
                     "(1, 12345678901234567.89, 3.14, '23:59:59', '2024-03-05 14:30:00.123456', TRUE, 'O''Brien Ltd'), "
                     "(2, 12345678901234567.88, 2.50, '08:00:00.25', '2024-03-05 14:30:00', FALSE, 'Peña Hermanos'), "
                     "(3, -0.05, 3.10, '00:00:01', '1999-12-31 23:59:59.999999', NULL, 'Otro')");
    raw->Close();
    ASSERT_TRUE(cnn->OpenConnection()) << cnn->LastOpenError;

    auto all = Source("valores", "SELECT id, importe, precio, hora, momento, activo FROM valores");
    all->RTOrder = "importe DESC";
    ASSERT_TRUE(all->OpenRecordsource()) << all->LastOpenError;
    const std::string truth = maria ? "1" : "True";  // MariaDB's BOOLEAN is a TINYINT, and says so
    const std::string untruth = maria ? "0" : "False";
    EXPECT_EQ(Rows(all->ADORecordset),
              (Texts{"1|12345678901234567.89|3.14|23:59:59|2024-03-05 14:30:00.123456|" + truth,
                     "2|12345678901234567.88|2.50|08:00:00.25|2024-03-05 14:30:00|" + untruth,
                     "3|-0.05|3.10|00:00:01|1999-12-31 23:59:59.999999|NULL"}));
    all->ADORecordset->MoveFirst();
    const Variant importe = all->ADORecordset->Fields()("importe").Value();
    ASSERT_EQ(importe.kind(), Variant::Kind::Decimal);
    EXPECT_EQ(all->ADORecordset->Fields()("activo").Value().kind(), maria ? Variant::Kind::Int : Variant::Kind::Bool);

    // Filters compare decimals and fractions exactly: a double holds both
    // importes as one number.
    for (const auto& [filter, expected] :
         std::vector<std::pair<std::string, Texts>>{{"importe = 12345678901234567.89", {"1"}},
                                                    {"importe < 12345678901234567.89 AND importe > 0", {"2"}},
                                                    {"precio = 3.1", {"3"}},
                                                    {"momento > #2024-03-05 14:30:00#", {"1"}},
                                                    {"hora < #08:00:00.3#", {"2", "3"}}}) {
        all->RTFilter = filter;
        all->RTOrder = "id";
        ASSERT_TRUE(all->ApplyFilter()) << filter;
        ASSERT_TRUE(all->ApplySort().ToTruth().value_or(false));
        Texts ids;
        for (const auto& row : Rows(all->ADORecordset)) ids.push_back(row.substr(0, row.find('|')));
        EXPECT_EQ(ids, expected) << filter;
    }

    // Bound exactly: decimals (PostgreSQL took 3.14 through a double as
    // 3.1400000000000001), a fraction of a second, a time with a fraction.
    const struct {
        const char* type;
        const char* value;
        const char* where;
        const char* id;
    } binds[] = {
        {"adNumeric", "3.14", "precio = ?", "1"},
        {"adCurrency", "3.1", "precio = ?", "3"},
        {"adDBTimeStamp", "2024-03-05 14:30:00.123456", "momento = ?", "1"},
        {"adDBTime", "08:00:00.25", "hora = ?", "2"},
    };
    int n = 0;
    for (const auto& b : binds) {
        const std::string name = "V" + std::to_string(++n);
        Param(name, b.type, b.value);
        auto bound = Source("ligado" + name, std::string("SELECT id FROM valores WHERE ") + b.where);
        bound->SendParameters = name;
        ASSERT_TRUE(bound->OpenRecordsource()) << b.type << ": " << bound->LastOpenError;
        EXPECT_EQ(Rows(bound->ADORecordset), (Texts{b.id})) << b.type << " " << b.value;
    }

    // A list's texts become valid literals, quotes doubled.
    auto names = Param("Nombres", "adVarChar");
    names->Values = std::vector<Variant>{"O'Brien Ltd", "Peña Hermanos"};
    auto listed = Source("lista", "SELECT id FROM valores WHERE nombre IN (@Nombres) ORDER BY id");
    ASSERT_TRUE(listed->OpenRecordsource()) << listed->LastOpenError;
    EXPECT_EQ(Rows(listed->ADORecordset), (Texts{"1", "2"}));
}

// No SQL Server runs here: its OLE DB string reaches FreeTDS, which refuses
// with its own message.
TEST(Servers, ASqlServerStringReachesFreeTds) {
    const auto drivers = data::ListOdbcDrivers();
    if (std::find(drivers.begin(), drivers.end(), "FreeTDS") == drivers.end()) GTEST_SKIP() << "no FreeTDS";
    data::Connection cnn;
    EXPECT_THROW(cnn.Open("Provider=SQLOLEDB;Data Source=127.0.0.1,1;Initial Catalog=x;User ID=u;Password=Pw0rd;"
                          "Persist Security Info=False",
                          "", ""),
                 data::DataError);
    EXPECT_NE(cnn.LastError().find("[FreeTDS]"), std::string::npos) << cnn.LastError();
    EXPECT_EQ(cnn.LastError().find("Pw0rd"), std::string::npos) << cnn.LastError();
}

// A listener on 127.0.0.1 that accepts connections and never answers, until
// it goes out of scope.
class SilentServer {
public:
    SilentServer() {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&a), size) != 0 || listen(fd_, 16) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            std::vector<int> accepted;
            pollfd p{fd_, POLLIN, 0};
            while (!stop_)
                if (poll(&p, 1, 50) > 0) accepted.push_back(accept(fd_, nullptr, nullptr));
            for (int c : accepted) close(c);
        });
    }
    ~SilentServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        close(fd_);
    }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Nothing waits for ever: a server that accepts and never answers fails the
// open within the string's Connect Timeout, or orvane run's --timeout; a
// query longer than its Command Timeout fails with the server's word.
TEST(Servers, ASilentServerAndASlowQueryFailWithinTheirTimeouts) {
    const struct {
        const char* server;
        std::string silent;  // the string to the silent server, with its port at "%"
        const char* slow;
    } backends[] = {
        {"ORVANE_TEST_PG", "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%;Database=d;UID=u;PWD=S3cretPw;",
         "SELECT pg_sleep(5)"},
        {"ORVANE_TEST_MARIADB",
         "Provider=MySQLProv;Data Source=127.0.0.1,%;Initial Catalog=d;User ID=u;Password=S3cretPw;",
         "SELECT SLEEP(5) FROM DUAL WHERE 1 = 1"},
    };
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    for (const auto& b : backends) {
        const char* cs = std::getenv(b.server);
        if (!cs) GTEST_SKIP() << "no test server (" << b.server << ")";
        SCOPED_TRACE(b.server);
        const std::string to = text::ReplaceAll(b.silent, "%", std::to_string(silent.port()));
        auto start = std::chrono::steady_clock::now();
        data::Connection cnn;
        EXPECT_THROW(cnn.Open(to + "Connect Timeout=1", "", ""), data::DataError);
        EXPECT_LT(SecondsSince(start), 4.0);
        EXPECT_TRUE(cnn.LastError().starts_with("sin respuesta en 1 s (Connect Timeout): ")) << cnn.LastError();
        EXPECT_EQ(cnn.LastError().find("S3cretPw"), std::string::npos);

        testing::ReportOn r;
        r.cnn->cnnString = to;
        testing::ScratchDir dir;
        testing::WriteFile(dir.file("r.xml"), r.rpt->ToXML());
        start = std::chrono::steady_clock::now();
        const testing::Outcome o = testing::RunOrvane("run --timeout 1 " + dir.file("r.xml"));
        EXPECT_LT(SecondsSince(start), 4.0);
        EXPECT_NE(o.status, 0);
        EXPECT_NE(o.err.find("no se abrió: sin respuesta en 1 s (Connect Timeout)"), std::string::npos) << o.err;

        const std::string user = std::getenv((std::string(b.server) + "_USER").c_str());
        const std::string password = std::getenv((std::string(b.server) + "_PASSWORD").c_str());
        auto real = std::make_shared<data::Connection>();
        real->Open(std::string(cs) + "Command Timeout=1", user, password);
        start = std::chrono::steady_clock::now();
        try {
            const auto rows = Rows(testing::Execute(real, b.slow));
            ADD_FAILURE() << "the slow query ran: " << (rows.empty() ? "" : rows.front());
        } catch (const data::DataError& e) {
            EXPECT_TRUE(std::string(e.what()).starts_with("sin respuesta en 1 s (Command Timeout): ")) << e.what();
        }
        EXPECT_LT(SecondsSince(start), 4.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, OdbcRecordSources,
                         ::testing::Values(Backend{"PostgreSQL", "ORVANE_TEST_PG", kPgFunction},
                                           Backend{"PostgreSqlOleDb", "ORVANE_TEST_PG_OLEDB", kPgFunction},
                                           Backend{"MariaDbOleDb", "ORVANE_TEST_MARIADB", kMariaProcedure}),
                         [](const auto& p) { return p.param.name; });
INSTANTIATE_TEST_SUITE_P(SqliteOdbc, OdbcRecordSources, ::testing::Values(Backend{"SQLite"}),
                         [](const auto& p) { return p.param.name; });

}  // namespace
}  // namespace orvane
