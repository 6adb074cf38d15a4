#!/usr/bin/env python3
"""Writes ventas.xml, the definition of the example sales report, in the
exact text form the library's definition writer produces, so that
`orvane xml ventas.xml` gives the same bytes back.

Edit the report here and run `python3 ventas_xml.py` in this folder. All
numbers are whole numbers so the text does not depend on the locale's
decimal separator."""

CRLF = "\r\n"


def enc(s):
    """The definition's text escaping: CR LF as a paragraph marker, the XML
    specials and remaining control characters as references, Latin-1 letters
    as decimal references."""
    s = s.replace("\r\n", "<p>&nbsp;</p>")
    for a, b in (("&", "&amp;"), (">", "&gt;"), ("<", "&lt;"), ("'", "&apos;"), ('"', "&quot;"),
                 ("\r", "&#xD;"), ("\n", "&#xA;"), ("\t", "&#x9;")):
        s = s.replace(a, b)
    return "".join("&#%d;" % ord(c) if 128 <= ord(c) <= 255 else c for c in s)


def attr(name, value):
    return ' %s="%s"' % (name, enc(str(value)))


def flag(b):
    return "-1" if b else "0"


def hexstr(s):
    return "".join("%02X" % ord(c) for c in s)


def extended(props):
    out = ""
    for name, value in props:
        out += name + "='" + value.replace("\r\n", "\\0x130x10\\").replace("'", "\\0x27\\") + "';"
    return out


# ---------------------------------------------------------------- writers

def rsource(rs, cnn):
    s = "<eRSource Name=" + '"%s"' % enc(rs["Name"])
    s += attr("ecnnName", cnn)
    for key in ("CursorLocation", "CursorType", "SQLCommand", "TypeofCommand", "LockType",
                "eFieldNametoParameters", "idParameterLinked", "SendParameters", "Filter", "Order"):
        s += attr(key, rs.get(key, ""))
    s += " >" + CRLF
    if rs.get("children"):
        s += rsources(rs["children"], cnn)
    return s + "</eRSource>" + CRLF


def rsources(items, cnn):
    return "<eRSources>" + CRLF + "".join(rsource(rs, cnn) for rs in items) + "</eRSources>" + CRLF


def connection(c):
    s = "<eConnection Name=" + '"%s"' % enc(c["Name"]) + attr("cnnString", c["cnnString"])
    s += attr("Internal", flag(c["Internal"])) + " > " + CRLF
    return s + rsources(c["rsources"], c["Name"]) + "</eConnection>"


def parameter(p):
    etype = p["eType"] + ("|" + p["DTFormat"] if p.get("DTFormat", "").strip() else "")
    return ("<eParameter Name=" + '"%s"' % enc(p["Name"]) + "  eType=" + '"%s"' % enc(etype)
            + attr("Predef", p["Predef"]) + "></eParameter>")


def control(c):
    s = "<eControl Name=" + '"%s"' % enc(c["Name"]) + attr("Class", c["Class"])
    s += '  Top="%d" Left="%d" Width="%d"  Height="%d"' % (c["Top"], c["Left"], c["Width"], c["Height"])
    s += attr("Visible", flag(c.get("Visible", True))) + attr("NoNull", flag(c.get("NoNull", False)))
    s += attr("Extended", extended(c.get("Extended", []))) + attr("TabIndex", c.get("TabIndex", 0))
    s += attr("BindObject", c.get("BindObject", "")) + attr("Enable", flag(c.get("Enable", True)))
    s += attr("Locked", flag(c.get("Locked", False))) + ">" + CRLF
    s += " <eData> " + CRLF
    for name, data in c.get("Data", []):
        s += "<DatB64 Name=" + '"%s"' % enc(name) + ">" + CRLF + enc(data) + CRLF + "</DatB64>" + CRLF
    return s + " </eData> " + CRLF + "</eControl>"


def controls(items):
    return "<eControls>" + CRLF + "".join(control(c) for c in items) + "</eControls>" + CRLF


def dialog(d):
    s = "<eDialog Name=" + '"%s"' % enc(d["Name"])
    for key in ("Class", "Height", "Width", "Load", "OnCancel", "OnControlEvent", "OnOk", "BackColor", "Title",
                "Validate"):
        s += attr(key, d.get(key, ""))
    s += " >" + CRLF + controls(d["controls"])
    first = d["rsources"][0]["ecnnName"] if d["rsources"] else ""
    return s + rsources(d["rsources"], first) + "</eDialog>"


def prnformat(f):
    s = "<ePrnFormat Name=" + '"%s"' % enc(f["Name"])
    for key in ("BottomM", "Paper", "eOrientacion", "Heigth", "HorizontalN", "LeftM", "MoveOn", "PaperHeigth",
                "PaperWidth", "RigthM", "TopM", "VerticalN", "Width", "Metric", "BackFormat", "Properties"):
        s += attr(key, f[key])
    s += attr("BeginCommand", hexstr(f["BeginCommand"])) + attr("EndCommand", hexstr(f["EndCommand"]))
    return s + " >" + controls(f["controls"]) + "</ePrnFormat>"


def report(r):
    s = '<?xml version="1.0" encoding="UTF-8"?>' + CRLF
    s += "<Orvane Name=" + '"%s"' % enc(r["Name"]) + attr("Info", r["Info"]) + attr("Lang", r["Lang"])
    s += ' initialDialog = "%s"' % enc(r["initialDialog"]) + attr("initialPrnFormat", r["initialPrnFormat"])
    s += ' Version="1.0" >' + CRLF
    s += "<eConnections>" + CRLF + "".join(connection(c) for c in r["connections"]) + "</eConnections>"
    s += "  <eParameters>" + CRLF + "".join(parameter(p) for p in r["parameters"]) + "  </eParameters>" + CRLF
    s += "<eDialogs>" + CRLF + "".join(dialog(d) for d in r["dialogs"]) + "</eDialogs>"
    s += "<ePrnFormats>" + "".join(prnformat(f) for f in r["formats"]) + "</ePrnFormats>" + CRLF
    return s + "<eCode>" + enc(r["Code"]) + "</eCode>" + CRLF + "</Orvane>"


# ------------------------------------------------------- the table layout

def table_cell(name, width, caption="", source="", halig=0, bold=0):
    return ("<eControl" + attr("Name", name) + ' Width ="%d"' % width + ' SubType="0">' + "\r"
            + "<Data" + attr("BorderColor", 0) + attr("DrawWidth", 1) + attr("BackColor", 16777215)
            + attr("DrawStyle", 0) + attr("ForeColor", 0) + attr("FontColor", 0) + attr("TagData", "")
            + attr("Caption", caption) + attr("eResDataName", "") + ' eSource="%s"' % source
            + attr("HAlig", halig) + attr("VAlig", 0) + ' FontName="Arial"' + attr("FontSize", 9)
            + attr("FontBold", bold) + attr("FontItalic", 0) + attr("FontUnderline", 0) + " />" + "\r"
            + "</eControl>")


def table_row(name, index, caption, typerow, cells):
    s = ("<TableRow" + attr("Name", name) + attr("Index", index) + attr("Height", 6) + attr("Width", 190)
         + attr("Caption", caption) + attr("TypeRow", typerow) + attr("LockRow", 0) + attr("MultiLine", 0)
         + ' KeyField="" KeyValue="" KeyGroups="">' + "\r")
    return s + "".join(c + "\r" for c in cells) + "</TableRow>"


def table():
    rows = [
        table_row("encabezado", 1, "Encabezado", 1, [
            table_cell("hFecha", 30, "Fecha", bold=1), table_cell("hPedido", 25, "Pedido", bold=1),
            table_cell("hProducto", 85, "Producto", bold=1), table_cell("hImporte", 50, "Importe (€)", halig=1,
                                                                        bold=1)]),
        table_row("detalle", 2, "Líneas del pedido", 2, [
            table_cell("cFecha", 30, source="pedidos.fecha"), table_cell("cPedido", 25, source="pedidos.id_pedido"),
            table_cell("cProducto", 85, source="lineas.producto"),
            table_cell("cImporte", 50, source="lineas.importe", halig=1)]),
        table_row("total", 3, "Total del cliente", 3, [
            table_cell("tEtiqueta", 140, "Total", bold=1), table_cell("tImporte", 50, source="=Sum(lineas.importe)",
                                                                       halig=1, bold=1)]),
    ]
    return ('<?xml version="1.0" encoding="UTF-8"?>' + CRLF + "<eCTable" + attr("Name", "tblPedidos")
            + attr("Width", 190) + attr("Height", 18) + "> " + "".join(r + "\r" for r in rows) + "</eCTable>")


# ------------------------------------------------------------ the report

DB = "Provider=SQLite;Data Source=ventas.db"

REPORT = {
    "Name": "ventas",
    "Info": "Pedidos por cliente con sus líneas y el total de cada cliente.",
    "Lang": "es",
    "initialDialog": "dlgFiltro",
    "initialPrnFormat": "fmtListado",
    "connections": [
        {"Name": "ventas", "cnnString": DB, "Internal": False, "rsources": [{
            "Name": "clientes", "CursorLocation": "3", "CursorType": "3", "TypeofCommand": "1", "LockType": "1",
            "SQLCommand": "SELECT id_cliente, nombre, ciudad\r\nFROM clientes\r\n"
                          "WHERE ciudad LIKE @Ciudad \r\nORDER BY nombre",
            "eFieldNametoParameters": "id_cliente", "idParameterLinked": "IdCliente",
            "children": [{
                "Name": "pedidos", "CursorLocation": "3", "CursorType": "3", "TypeofCommand": "1", "LockType": "1",
                "SQLCommand": "SELECT id_pedido, fecha, estado\r\nFROM pedidos\r\n"
                              "WHERE id_cliente = @IdCliente AND fecha >= @Desde AND fecha <= ?\r\nORDER BY fecha",
                "SendParameters": "Hasta", "Filter": "estado <> 'Anulado'", "Order": "fecha",
                "eFieldNametoParameters": "id_pedido", "idParameterLinked": "IdPedido",
                "children": [{
                    "Name": "lineas", "CursorLocation": "3", "CursorType": "3", "TypeofCommand": "1",
                    "LockType": "1",
                    "SQLCommand": "SELECT producto, cantidad, precio, cantidad * precio AS importe\r\n"
                                  "FROM lineas\r\nWHERE id_pedido = ? AND cantidad * precio >= ?",
                    "SendParameters": "IdPedido, MinImporte"}]}]}]},
        {"Name": "resumen", "cnnString": '@DataLinkFile("ventas.udl")', "Internal": True,
         "rsources": [{
             "Name": "totales", "CursorLocation": "3", "CursorType": "3", "TypeofCommand": "1", "LockType": "1",
             "SQLCommand": "SELECT c.ciudad, COUNT(DISTINCT p.id_pedido) AS pedidos,\r\n"
                           "       SUM(l.cantidad * l.precio) AS importe\r\n"
                           "FROM clientes c\r\nJOIN pedidos p ON p.id_cliente = c.id_cliente\r\n"
                           "JOIN lineas l ON l.id_pedido = p.id_pedido\r\n"
                           "WHERE p.fecha BETWEEN @Desde AND @{HastaISO}\r\nGROUP BY c.ciudad",
             "Order": "importe DESC"}]},
    ],
    "parameters": [
        {"Name": "Ciudad", "eType": "adVarChar", "Predef": "%"},
        {"Name": "Desde", "eType": "adDBDate", "Predef": "2024-01-01"},
        {"Name": "Hasta", "eType": "strDateTime", "DTFormat": "yyyy-mm-dd", "Predef": "2024-06-30"},
        {"Name": "HastaISO", "eType": "adVarChar", "Predef": "'2024-06-30'"},
        {"Name": "IdCliente", "eType": "adInteger", "Predef": "0"},
        {"Name": "IdPedido", "eType": "adInteger", "Predef": "0"},
        {"Name": "MinImporte", "eType": "adDouble", "Predef": "0"},
    ],
    "dialogs": [{
        "Name": "dlgFiltro", "Class": "frmParametros", "Height": 3600, "Width": 5400, "Load": "CargarFiltro",
        "OnCancel": "", "OnControlEvent": "", "OnOk": "AceptarFiltro", "BackColor": -2147483633,
        "Title": "Ventas: selección", "Validate": "ValidarFechas",
        "controls": [
            {"Name": "lblCiudad", "Class": "Label", "Top": 240, "Left": 240, "Width": 1500, "Height": 285,
             "TabIndex": 0, "Extended": [("Caption", "Ciudad:"), ("FontName", "Tahoma")]},
            {"Name": "cboCiudad", "Class": "ComboBox", "Top": 240, "Left": 1860, "Width": 3000, "Height": 315,
             "TabIndex": 1, "BindObject": "Ciudad",
             "Extended": [("SourceName", "ciudades"), ("ListField", "ciudad"), ("FontName", "Tahoma")]},
            {"Name": "lblDesde", "Class": "Label", "Top": 720, "Left": 240, "Width": 1500, "Height": 285,
             "TabIndex": 2, "Extended": [("Caption", "Desde el día:"), ("FontName", "Tahoma")]},
            {"Name": "dtpDesde", "Class": "DatePicker", "Top": 720, "Left": 1860, "Width": 1800, "Height": 315,
             "TabIndex": 3, "BindObject": "Desde", "NoNull": True, "Extended": [("FormatOut", "dd/mm/yyyy")]},
            {"Name": "lblHasta", "Class": "Label", "Top": 1200, "Left": 240, "Width": 1500, "Height": 285,
             "TabIndex": 4, "Extended": [("Caption", "Hasta el día:"), ("FontName", "Tahoma")]},
            {"Name": "dtpHasta", "Class": "DatePicker", "Top": 1200, "Left": 1860, "Width": 1800, "Height": 315,
             "TabIndex": 5, "BindObject": "Hasta", "NoNull": True, "Extended": [("FormatOut", "dd/mm/yyyy")]},
            {"Name": "txtMinimo", "Class": "TextBox", "Top": 1680, "Left": 1860, "Width": 1200, "Height": 315,
             "TabIndex": 6, "BindObject": "MinImporte",
             "Extended": [("Caption", "Importe mínimo por línea"), ("MinVal", "0"), ("FormatOut", "#,##0.00")]},
            {"Name": "cmdAceptar", "Class": "CommandButton", "Top": 2640, "Left": 2400, "Width": 1215,
             "Height": 405, "TabIndex": 7, "Extended": [("Caption", "&Aceptar")]},
            {"Name": "cmdCancelar", "Class": "CommandButton", "Top": 2640, "Left": 3780, "Width": 1215,
             "Height": 405, "TabIndex": 8, "Extended": [("Caption", "&Cancelar")]},
        ],
        "rsources": [{"Name": "ciudades", "ecnnName": "ventas", "CursorLocation": "3", "CursorType": "3",
                      "TypeofCommand": "1", "LockType": "1",
                      "SQLCommand": "SELECT DISTINCT ciudad FROM clientes ORDER BY ciudad"}],
    }],
    "formats": [{
        "Name": "fmtListado", "BottomM": 15, "Paper": 0, "eOrientacion": 1, "Heigth": 249, "HorizontalN": 1,
        "LeftM": 10, "MoveOn": 1, "PaperHeigth": 279, "PaperWidth": 216, "RigthM": 10, "TopM": 15, "VerticalN": 1,
        "Width": 196, "Metric": "mm", "BackFormat": "", "Properties": "Copias=1;Bandeja=Principal",
        "BeginCommand": "\x1b@", "EndCommand": "\x0c",
        "controls": [
            {"Name": "imgLogo", "Class": "Image", "Top": 0, "Left": 0, "Width": 16, "Height": 16,
             "Extended": [("eResDataName", "logo"), ("Stretch", "-1")]},
            {"Name": "lblTitulo", "Class": "Label", "Top": 2, "Left": 20, "Width": 150, "Height": 10, "TabIndex": 1,
             "Extended": [("Caption", "Ventas por cliente"), ("FontName", "Arial"), ("FontBold", "-1")]},
            {"Name": "lblCliente", "Class": "Label", "Top": 20, "Left": 0, "Width": 190, "Height": 7,
             "TabIndex": 2, "BindObject": "clientes.nombre", "Extended": [("FontName", "Arial")]},
            {"Name": "grdPedidos", "Class": "ePrnGridControl.ePrnGrid", "Top": 30, "Left": 0, "Width": 190,
             "Height": 200, "TabIndex": 3, "Extended": [("SourceName", "pedidos")], "Data": [("Tables", table())]},
            {"Name": "lblPie", "Class": "Label", "Top": 240, "Left": 0, "Width": 190, "Height": 9, "TabIndex": 4,
             "Extended": [("eResDataName", "pie"), ("MultiLine", "-1")]},
        ],
    }],
    "Code": "' Guiones del diálogo de selección\r\n"
            "Sub CargarFiltro()\r\n"
            "    ' Sin nada que preparar: los valores vienen de Predef\r\n"
            "End Sub\r\n"
            "\r\n"
            "Function ValidarFechas() As Boolean\r\n"
            "    ValidarFechas = (Parametro(\"Desde\") <= Parametro(\"Hasta\"))\r\n"
            "End Function",
}

if __name__ == "__main__":
    with open("ventas.xml", "w", encoding="utf-8", newline="") as f:
        f.write(report(REPORT))
