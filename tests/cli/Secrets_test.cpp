// Passwords never show: not in any output of the command-line host (every
// command, text and JSON, errors included) nor in a message or error text of
// the library, whether they come from a connection string (plain, quoted or
// braced), a data-link file or the connection manager.
#include <gtest/gtest.h>

#include <orvanespt/data/Connections.h>
#include <orvanespt/data/ado/DataError.h>
#include "support/TestSupport.h"

namespace orvane {
namespace {

using orvane::testing::MessageRecorder;
using orvane::testing::SalesReport;
using orvane::testing::ScopedEnv;
using orvane::testing::WriteFile;

// Every password below holds this; no output may.
constexpr const char* kMark = "ZQX";

std::string Shell(const std::string& args) {
    const orvane::testing::Outcome o = orvane::testing::RunOrvane(args);
    return "[status " + std::to_string(o.status) + "] " + o.out + o.err;
}

// A sales report whose one connection can take each of the password-bearing
// strings, with a data-link file and a manager file that hold passwords too.
struct SecretReport : SalesReport {
    std::string absent = dir.file("absent.db");
    std::string udl = dir.file("ventas.udl");
    std::string managerFile = dir.file("connections.ini");
    ScopedEnv env{"ORVANE_CONNECTIONS_FILE", managerFile};

    SecretReport() {
        rpt->Name = "Ventas";
        Source("Clientes", "SELECT * FROM clientes");
        WriteFile(udl, "[oledb]\r\n; comment\r\nProvider=SQLite;Data Source=" + absent + ";Password='ZQX4 ZQX4b'\r\n");
        WriteFile(managerFile,
                  "[App]\nConnectionString=Provider=SQLite;Data Source=" + absent +
                      "\nUserID=u\nPWD=ZQX5 ZQX5b\n[Conexion]\nConnectionString=Provider=SQLite;Data Source=" + absent +
                      ";Password=ZQX6\n");
    }
    std::vector<std::string> Strings() const {
        return {SqliteString() + ";PWD=ZQX1",
                "Provider=SQLite;Data Source=" + absent + ";Password=\"ZQX2 ZQX2b;ZQX2c\"",
                "Provider=MSDASQL;DSN=nadie_ZQ;UID=u;PWD={ZQX3;ZQX3b}}ZQX3c}",
                "Provider=SQLite;Data Source=" + absent + ";Password = 'ZQX7 ZQX7b'",
                "@DataLinkFile(\"" + udl + "\")",
                "@gtCnnManager.ApplicationDb(\"App\")",
                "@gtCnnManager.ApplicationDb(\"Conexion\")",
                "Provider=SQLOLEDB;Data Source=127.0.0.1,1;User ID=u;Password=ZQX12 ZQX12b"};
    }
};

TEST(Secrets, NoCommandOfTheHostNorMessageOfTheLibraryShowsAPassword) {
    SecretReport s;
    const std::string xml = s.dir.file("ventas.xml"), xpd = s.dir.file("ventas.xpd");
    std::vector<std::string> outputs;
    // Running: one connection at a time, since a run ends at the first that fails.
    for (const std::string& cnnString : s.Strings()) {
        s.cnn->cnnString = cnnString;
        WriteFile(xml, s.rpt->ToXML());
        ASSERT_TRUE(s.rpt->SaveXPDFile(xpd));
        outputs.push_back(Shell("run " + xml));
        outputs.push_back(Shell("run --format json " + xpd));
        outputs.push_back(
            Shell("run " + xml + " --limit 1 --connection " + orvane::testing::ShellQuote("ventas=" + cnnString)));
    }
    // Showing: every string at once.
    for (std::size_t i = 1; i < s.Strings().size(); ++i) {
        auto cnn = std::make_shared<eConnection>();
        cnn->Name = "c" + std::to_string(i);
        cnn->cnnString = s.Strings()[i - 1];
        s.rpt->AddConnection(cnn);
    }
    WriteFile(xml, s.rpt->ToXML());
    WriteFile(s.dir.file("broken.xml"), s.rpt->ToXML() + "<sin cerrar");
    ASSERT_TRUE(s.rpt->SaveXPDFile(xpd));
    const std::string detailed = Shell("show --detailed " + xml);
    outputs.push_back(detailed);
    for (const std::string& file : {xml, xpd}) {
        outputs.push_back(Shell("show " + file));
        outputs.push_back(Shell("xml " + file));
        outputs.push_back(Shell("connections --open --format json " + file));
    }
    outputs.push_back(Shell("pack " + xml + " -o " + s.dir.file("otro.xpd")));
    outputs.push_back(Shell("show " + s.dir.file("broken.xml")));
    outputs.push_back(Shell("pack " + s.dir.file("broken.xml") + " -o " + s.dir.file("otro.xpd")));
    for (const char* args : {"show 'PWD=ZQX8' 'Password=ZQX9'", "'Password=ZQX10'", "run x --bogus 'PWD=ZQX11'"})
        outputs.push_back(Shell(args));
    for (const std::string& out : outputs) EXPECT_EQ(out.find(kMark), std::string::npos) << out;
    // The commands did run: the strings are there with their passwords hidden.
    EXPECT_NE(detailed.find("Password = ***"), std::string::npos) << detailed;
    EXPECT_NE(outputs.back().find("PWD=***"), std::string::npos) << outputs.back();

    MessageRecorder messages;
    std::vector<std::string> texts;
    for (const std::string& cnnString : s.Strings()) {
        s.cnn->cnnString = cnnString;
        s.cnn->OpenConnection();
        texts.push_back(s.cnn->LastOpenError);
        try {
            data::OpenAdoConnection(cnnString);
        } catch (const data::DataError& e) {
            texts.push_back(e.what());
        }
        Orvane broken;
        EXPECT_FALSE(broken.FromXML(s.rpt->ToXML() + "<sin cerrar"));
    }
    EXPECT_NE(texts[1], "");  // the absent database did fail
    for (const auto& m : messages->Taken()) texts.push_back(m.text);
    EXPECT_GE(messages->Taken().size(), s.Strings().size());
    for (const std::string& text : texts) EXPECT_EQ(text.find(kMark), std::string::npos) << text;
}

}  // namespace
}  // namespace orvane
