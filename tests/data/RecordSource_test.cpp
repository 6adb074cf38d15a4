// Record sources at run time over an SQLite database: opening with macros
// and bound parameters, filters and sorts, children re-queried from their
// parent's current record, moves, and the failures that give false.
#include <gtest/gtest.h>

#include <orvanespt/data/ado/Recordset.h>
#include "support/TestSupport.h"

namespace orvane {
namespace {

using testing::SalesReport;

// Every row of a field from the current record on, leaving the recordset at its end.
std::vector<std::string> Column(const std::shared_ptr<eRSource>& rs, const char* field) {
    std::vector<std::string> out;
    if (!rs->ADORecordset) return out;
    for (; !rs->Eof(); rs->ADORecordset->MoveNext())
        out.push_back(rs->ADORecordset->Fields()(field).Value().TextOr("NULL"));
    return out;
}

std::string Current(const std::shared_ptr<eRSource>& rs, const char* field) {
    return rs->ADORecordset->Fields()(field).Value().TextOr("NULL");
}

using Texts = std::vector<std::string>;

// A host that appends a record source under a connection with only its
// ecnnName set finds it running on that connection once it is open.
TEST(RecordSource, AppendedWithoutItsConnectionRunsOnTheOneItIsUnderOnceOpen) {
    SalesReport s;
    auto rs = std::make_shared<eRSource>();
    rs->Name = "Clientes";
    rs->SQLCommand = "SELECT * FROM clientes ORDER BY id";
    rs->TypeofCommand = "1";
    rs->ecnnName("ventas");
    s.cnn->eRSources->Add(rs);
    EXPECT_FALSE(rs->OpenRecordsource());
    ASSERT_TRUE(s.cnn->OpenConnection());
    ASSERT_TRUE(rs->OpenRecordsource()) << rs->LastOpenError;
    EXPECT_EQ(Column(rs, "nombre"), (Texts{"Ana", "Luis", "Eva"}));
}

TEST(RecordSource, NeverOpenedOrRefusedIsAtTheEndAndLeavesNoRecordsetByCommandTypeToo) {
    eRSource lone;
    EXPECT_TRUE(lone.Eof() && lone.Bof());
    EXPECT_FALSE(lone.MoveNext() || lone.MovePrevious() || lone.MoveFirst() || lone.MoveLast() || lone.ApplyFilter());
    EXPECT_EQ(lone.ApplySort(), Variant(false));
    EXPECT_TRUE(lone.RefreshChilds());
    lone.SQLCommand = "SELECT 1";
    EXPECT_FALSE(lone.OpenRecordsource());  // it needs a connection, and an open one

    SalesReport s;
    auto rs = s.Source("Clientes", "SELECT * FROM clientes");
    EXPECT_FALSE(rs->OpenRecordsource());
    EXPECT_NE(rs->LastOpenError.find("la conexión \"ventas\" no está abierta"), std::string::npos);
    EXPECT_EQ(rs->ADORecordset, nullptr);

    ASSERT_TRUE(s.cnn->OpenConnection());
    auto update = s.Source("Cambio", "UPDATE clientes SET ciudad = 'Lima' WHERE id = 99");
    EXPECT_FALSE(update->OpenRecordsource());
    EXPECT_EQ(update->ADORecordset, nullptr);

    // A source that is its own child stops.
    auto loop = s.Source("Bucle", "SELECT 1 AS x");
    loop->eRSources->Add(loop);
    EXPECT_FALSE(loop->OpenRecordsource());
    EXPECT_NE(loop->LastOpenError.find("anidan demasiados niveles"), std::string::npos);
    loop->eRSources->Clear();  // break the cycle so the objects can go

    // "" is the command's default, SQL text; a number is read as the number
    // it is. Not numbers, or numbers no command type can be, are refused
    // before running.
    auto text = s.Source("Texto", "SELECT 7 AS n");
    const std::pair<const char*, const char*> cases[] = {
        // clang-format off
        {"", ""}, {" 1 ", ""}, {"+1", ""}, {"01", ""}, {"1.0", ""}, {"\t1.00 ", ""}, {"1.", ""},
        {" 4 ", "no tiene procedimientos"}, {"4.0", "no tiene procedimientos"}, {"uno", "uno"},
        {"1.5", "\"1.5\" no es un número entero"}, {"-", "no es un número"}, {".0", "no es un número"},
        {"1.0.0", "no es un número"}, {"1,0", "no es un número"},
        {"1x", "no es un número"}, {"1 2", "no es un número"}, {"2147483648", "no es un número"},
        {"-99999999999", "no es un número"}, {"0x1", "no es un número"}, {"-2147483648", "no se admite"},
        // clang-format on
    };
    for (const auto& [written, says] : cases) {
        text->TypeofCommand = written;
        EXPECT_EQ(text->OpenRecordsource(), !*says) << written;
        if (*says)
            EXPECT_NE(text->LastOpenError.find(says), std::string::npos) << written << text->LastOpenError;
        else
            EXPECT_EQ(Current(text, "n"), "7");
    }
}

TEST(RecordSource, ChildrenFollowTheirParentsCurrentRecord) {
    SalesReport s;
    auto [clientes, pedidos] = s.ClientsAndOrders("SELECT * FROM pedidos WHERE cliente_id = @pCliente ORDER BY id");
    s.Param("pPedido", "adInteger", 0);
    pedidos->eFieldNametoParameters = "ID";  // field names ignore case
    pedidos->idParameterLinked = " ppedido ";
    auto lineas = s.Source("Lineas", "SELECT * FROM lineas WHERE pedido_id = ? ORDER BY producto", pedidos);
    lineas->SendParameters = "pPedido";
    ASSERT_TRUE(s.cnn->OpenConnection());
    ASSERT_TRUE(clientes->OpenRecordsource()) << clientes->LastOpenError;
    EXPECT_FALSE(clientes->Bof() || clientes->Eof());
    EXPECT_EQ(Column(lineas, "producto"), (Texts{"leche", "pan"}));
    ASSERT_TRUE(pedidos->MoveNext());
    EXPECT_EQ(Column(lineas, "producto"), Texts{"queso"});

    // Luis has no orders: the linked pPedido cannot be read and keeps 11.
    ASSERT_TRUE(clientes->MoveNext());
    EXPECT_TRUE(pedidos->Eof());
    EXPECT_EQ(s.rpt->GetParameter("pPedido")->Value.TextOr(), "11");
    EXPECT_EQ(Column(lineas, "producto"), Texts{"queso"});
    ASSERT_TRUE(clientes->MoveLast());
    EXPECT_EQ(Column(lineas, "cantidad"), Texts{"9"});

    // Past the end: the move is ignored, the children reopen all the same
    // and the linked parameter keeps the last record's value.
    EXPECT_TRUE(clientes->MoveNext() && clientes->MoveNext() && clientes->Eof());
    EXPECT_EQ(s.rpt->GetParameter("pCliente")->Value.TextOr(), "3");
    EXPECT_EQ(Current(pedidos, "id"), "12");
    ASSERT_TRUE(clientes->MoveFirst() && clientes->MovePrevious());
    EXPECT_TRUE(clientes->Bof() && !clientes->Eof());
}

TEST(RecordSource, RunTimeFilterAndSortApplyWithMacrosOrAreRefused) {
    SalesReport s;
    s.Param("pCiudad", "adVarChar", "Lima");
    auto clientes = s.Source("Clientes", "SELECT * FROM clientes");
    clientes->RTFilter = "ciudad = '@{pCiudad}'";
    clientes->RTOrder = "nombre DESC";
    ASSERT_TRUE(s.cnn->OpenConnection());
    ASSERT_TRUE(clientes->OpenRecordsource());
    EXPECT_EQ(Column(clientes, "nombre"), (Texts{"Eva", "Ana"}));
    EXPECT_TRUE(clientes->ApplyFilter());
    EXPECT_EQ(clientes->ApplySort(), Variant(true));

    // A refused filter or sort does not stop the open.
    clientes->RTFilter = "ciudad = = 'Lima'";
    clientes->RTOrder = "nada DESC";
    ASSERT_TRUE(clientes->OpenRecordsource());
    EXPECT_FALSE(clientes->ApplyFilter());
    EXPECT_EQ(clientes->ApplySort(), Variant(false));
    EXPECT_EQ(Column(clientes, "nombre"), (Texts{"Ana", "Luis", "Eva"}));
}

// A list of values by macro ("IN (@L)") and bound ("IN (?)"): the bound
// form also pairs the parameters before and after it with their marks, in
// SendParameters order, past empty pieces and a "?" in quotes or a comment.
TEST(RecordSource, ListsOfValuesByMacroAndBoundEmptyTextDateTextAndUnboundParameters) {
    struct Case {
        const char* type;
        const char* column;
        std::vector<Variant> values;
        const char* rendered;  // SQLExpresion
        Texts orders;
    };
    const Case cases[] = {
        {"adVarChar", "l.producto", {"queso", "leche"}, "'queso', 'leche'", {"10", "11"}},
        {"adInteger", "p.id", {12, "10"}, "12, 10", {"10", "12"}},
        {"adDBDate", "p.fecha", {DateTime{2024, 3, 9}, "2024-01-05"}, "'2024-03-09', '2024-01-05'", {"10", "12"}},
        {"adDBDate", "p.fecha", {}, "NULL", {}},
    };
    SalesReport s;
    auto list = s.Param("L", "adVarChar");
    s.Param("Otro", "adVarChar", "x");
    auto rs = s.Source("P", "");
    ASSERT_TRUE(s.cnn->OpenConnection());
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.rendered);
        list->eType(c.type);
        list->Values = c.values;
        EXPECT_EQ(list->SQLExpresion(), c.rendered);
        for (const char* mark : {"@L", "?"}) {
            rs->SQLCommand = std::string("SELECT DISTINCT p.id FROM pedidos p JOIN lineas l ON l.pedido_id = p.id ") +
                             "WHERE '?' <> ? AND " + c.column + " IN (" + mark + ") AND ? = 'x' /* ? */ ORDER BY 1";
            rs->SendParameters = *mark == '?' ? "Otro, l ,,Otro" : "Otro,Otro";
            ASSERT_TRUE(rs->OpenRecordsource()) << mark << ": " << rs->LastOpenError;
            EXPECT_EQ(Column(rs, "id"), c.orders) << mark;
        }
    }
    // A list, even an empty one, needs its marks to pair with the parameters.
    rs->SQLCommand = "SELECT ?";
    rs->SendParameters = "L,Otro";
    EXPECT_FALSE(rs->OpenRecordsource());
    EXPECT_NE(rs->LastOpenError.find("1 marcas ? para 2 parámetros"), std::string::npos) << rs->LastOpenError;

    s.Param("vacio", "adVarChar", "");
    auto fecha = s.Param("fecha", "strDateTime", "2024-03-09 10:20:30");
    rs->SQLCommand = "SELECT length(?) AS n, ? AS f, typeof(?) AS t";
    rs->SendParameters = "vacio,fecha,fecha";
    ASSERT_TRUE(rs->OpenRecordsource()) << rs->LastOpenError;
    EXPECT_EQ(Current(rs, "n"), "0");
    EXPECT_EQ(Current(rs, "f"), "20240309");
    EXPECT_EQ(Current(rs, "t"), "text");

    // A date that does not read is never sent as text: it is the error.
    fecha->Value = "31/02/2024";
    EXPECT_FALSE(rs->OpenRecordsource());
    EXPECT_EQ(rs->LastOpenError.rfind("fecha: no es una fecha: 31/02/2024", 0), 0u) << rs->LastOpenError;

    // A parameter that cannot be bound is left out.
    s.Param("malo", "adInteger", "abc");
    s.Param("objeto", "adIDispatch", "x");
    s.Param("bueno", "adVarChar", "ok");
    rs->SQLCommand = "SELECT ? AS a";
    rs->SendParameters = "malo,nadie,objeto,bueno";
    ASSERT_TRUE(rs->OpenRecordsource()) << rs->LastOpenError;
    EXPECT_EQ(Current(rs, "a"), "ok");
    // When the statement then fails, what was left out and why is its error.
    rs->SQLCommand = "SELECT ? AS a, ? AS b";
    EXPECT_FALSE(rs->OpenRecordsource());
    EXPECT_EQ(rs->LastOpenError.rfind("malo: no es un número: abc; ", 0), 0u) << rs->LastOpenError;
}

}  // namespace
}  // namespace orvane
