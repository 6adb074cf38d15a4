// Helpers shared by the test programs: a recording message sink, scratch
// folders, scratch SQLite databases and a second writer on them, a sales
// report over one, and the command-line host run as a user runs it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <orvanespt/data/ado/Connection.h>
#include <orvanespt/data/ado/Recordset.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/Messages.h>

namespace orvane::testing {

class MessageRecorder {
public:
    MessageRecorder() : sink_(std::make_shared<platform::RecordingMessages>()), scope_(sink_) {}
    platform::RecordingMessages& operator*() { return *sink_; }
    platform::RecordingMessages* operator->() { return sink_.get(); }

private:
    std::shared_ptr<platform::RecordingMessages> sink_;
    platform::ScopedMessageSink scope_;
};

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Sets (or unsets, with nullopt) an environment variable for one scope and
// puts back what was there before.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string ReadFile(const std::filesystem::path& p);
void WriteFile(const std::filesystem::path& p, const std::string& bytes);

// Creates (or adds to) an SQLite database file from a script; throws when it fails.
void MakeDatabase(const std::string& path, const std::string& script);

// Runs sql on the database from another process (the sqlite3 program, which
// waits for no lock): true when the write went in.
bool OtherProcessWrites(const std::string& db, const std::string& sql = "INSERT INTO lineas VALUES (13, 'sal', 1)");

// Runs an SQL text on an open connection.
std::shared_ptr<data::Recordset> Execute(const std::shared_ptr<data::Connection>& cnn, const std::string& sql);

// Every row of a recordset from the first, its fields' texts joined by "|"
// (Null as "NULL"); none for a null, closed or empty one.
std::vector<std::string> Rows(const std::shared_ptr<data::Recordset>& rs);

// A word for the shell, single-quoted.
std::string ShellQuote(const std::string& s);

struct Outcome {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs the command-line host as a user would, in the source folder (where the
// example's relative paths hold) with no input; `args` are quoted where needed.
Outcome RunOrvane(const std::string& args);

// The sales database: clientes 1 Ana Lima, 2 Luis Quito, 3 Eva Lima; pedidos
// 10 and 11 of Ana, 12 of Eva; lineas 2, 1 and 1 of them.
extern const char* const kSalesScript;

// A report with connection "ventas" (on cnnString) and no record sources yet.
struct ReportOn {
    std::shared_ptr<Orvane> rpt = std::make_shared<Orvane>();
    std::shared_ptr<eConnection> cnn = std::make_shared<eConnection>();

    explicit ReportOn(const std::string& cnnString = "");
    // A record source under parent (the connection when null).
    std::shared_ptr<eRSource> Source(const std::string& name, const std::string& sql,
                                     const std::shared_ptr<eRSource>& parent = nullptr);
    std::shared_ptr<eParameter> Param(const std::string& name, const std::string& type, Variant value = {});
};

// ReportOn a scratch copy of the sales database.
struct SalesReport : ReportOn {
    ScratchDir dir;
    std::string dbPath = dir.file("ventas.db");

    SalesReport();
    std::string SqliteString() const { return "Provider=SQLite;Data Source=" + dbPath; }
    // "Clientes" over every client in id order, each id linked to the
    // parameter pCliente (made here), with one child "Pedidos" running
    // ordersSql. Returns {clientes, pedidos}.
    std::pair<std::shared_ptr<eRSource>, std::shared_ptr<eRSource>> ClientsAndOrders(const std::string& ordersSql);
};

}  // namespace orvane::testing
