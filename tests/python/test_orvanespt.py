"""orvanespt end to end: the example report (SQLite) and, when scripts/pg-server.sh
has started one, a PostgreSQL server; each walk is compared with the steps the real
`orvane run --format json` prints for the same definition."""
import datetime as dt
import decimal
import json
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import threading
import time
import zipfile
from pathlib import Path
from xml.sax.saxutils import quoteattr

import pytest

import orvanespt

SOURCE = Path(os.environ.get("ORVANE_SOURCE_DIR", Path(__file__).resolve().parents[2]))
CLI = os.environ.get("ORVANE_CLI", "orvane")
SLOW = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1500000) SELECT count(*) AS n FROM c"


@pytest.fixture()
def sales(tmp_path):
    """examples/sales in a scratch folder, its database made from ventas.sql."""
    folder = tmp_path / "examples" / "sales"
    folder.mkdir(parents=True)
    for name in ("ventas.xml", "ventas.udl"):
        shutil.copy(SOURCE / "examples" / "sales" / name, folder)
    db = sqlite3.connect(folder / "ventas.db")
    db.executescript((SOURCE / "examples" / "sales" / "ventas.sql").read_text(encoding="utf-8"))
    db.close()
    return folder / "ventas.xml"


def orvane(*args):
    out = subprocess.run([CLI, *map(str, args)], capture_output=True, text=True, env={**os.environ, "LC_ALL": "C.UTF-8"})
    assert out.stdout, out.stderr
    return json.loads(out.stdout, parse_float=decimal.Decimal)


def as_json(value):
    """A step value as orvane's JSON form has it: dates as ISO text, floats as
    the JSON number text reads back."""
    if isinstance(value, dict):
        return {k: as_json(v) for k, v in value.items()}
    if isinstance(value, list):
        return [as_json(v) for v in value]
    if isinstance(value, (dt.date, dt.time)):
        text = value.isoformat()
        return re.sub(r"(\.\d*?)0+$", r"\1", text).rstrip(".")
    if isinstance(value, float):
        return decimal.Decimal(json.dumps(value))
    return value


def run_args(parameters):
    for name, value in (parameters or {}).items():
        for v in value if isinstance(value, list) else [value]:
            yield from ("-p", f"{name}={v}")


def assert_walk_as_cli(report, path, parameters=None):
    report.save(path)
    steps = [as_json(s) for s in report.walk(parameters=parameters)]
    assert steps and steps == orvane("run", "--format", "json", path, *run_args(parameters))["steps"]


def test_walk_steps_are_orvane_runs_and_a_list_parameter_widens_in(sales):
    rpt, tmp_path = orvanespt.load(sales), sales.parent
    assert_walk_as_cli(rpt, tmp_path / "as-is.xml")
    assert [len(s) for s in rpt.walk(limit=2)] == [2, 2] and list(rpt.walk(limit=0)) == []
    assert_walk_as_cli(rpt, tmp_path / "desde.xml", {"Desde": "2024-03-01", "MinImporte": 50})
    clientes = rpt.connections[0].record_sources[0]
    clientes.sql = clientes.sql.replace("LIKE @Ciudad", "IN (@Ciudad)")
    assert_walk_as_cli(rpt, tmp_path / "list.xml", {"Ciudad": ["Madrid", "Sevilla"]})
    steps = rpt.walk(parameters={"Ciudad": ["Madrid", "Sevilla"]})
    cities = {r["fields"]["ciudad"] for s in steps for r in s if r["source"] == "clientes"}
    assert cities == {"Madrid", "Sevilla"}


def test_parameters_take_python_values_and_refuse_others(sales):
    rpt = orvanespt.load(sales)
    assert list(rpt.parameters) == ["Ciudad", "Desde", "Hasta", "HastaISO", "IdCliente", "IdPedido", "MinImporte"]
    p = rpt.parameters["desde"]
    assert (p.name, p.type, p.default, p.value) == ("Desde", "adDBDate", "2024-01-01", "2024-01-01")
    for value in ("x", 7, 2.5, True, decimal.Decimal("12.340"), dt.date(2024, 2, 29),
                  dt.datetime(2024, 2, 29, 13, 5, 7, 250000), dt.time(23, 59, 1), None, ["a", 2]):
        p.value = value
        assert p.value == value and type(p.value) is type(value)
    for value, error in ((object(), TypeError), (2**70, ValueError), ([], ValueError),
                         (decimal.Decimal("NaN"), ValueError),
                         (dt.datetime(2024, 1, 1, tzinfo=dt.timezone.utc), ValueError)):
        with pytest.raises(error, match="«Desde»"):
            p.value = value
    with pytest.raises(KeyError, match="Nada.*Ciudad, Desde"):
        rpt.walk(parameters={"Nada": 1})
    assert "nada" not in rpt.parameters and "ciudad" in rpt.parameters


def test_read_errors_give_the_position(tmp_path):
    with pytest.raises(orvanespt.ReadError) as e:
        orvanespt.from_xml('<Orvane Name="x">\n  <eParameters>\n  </eDialogs>\n</Orvane>')
    assert (e.value.line, e.value.column) == (3, 5) and e.value.reason and "línea 3, columna 5" in str(e.value)
    (tmp_path / "empty.xpd").write_bytes(b"PK\x05\x06" + bytes(18))
    for path, text in ((tmp_path / "none.xml", "no existe"), (tmp_path / "empty.xpd", "source.xml"),
                       (tmp_path, "carpeta")):
        with pytest.raises(orvanespt.ReadError, match=text) as e:
            orvanespt.load(path)
        assert e.value.line is None
    with pytest.raises(orvanespt.ReadError, match="«Otro»"):
        orvanespt.from_xml(b"<Otro/>")
    # A picture that does not read is left out of the package, with a warning.
    with zipfile.ZipFile(tmp_path / "foto.xpd", "w") as z:
        z.writestr("source.xml", orvanespt.Report().to_xml())
        z.writestr("resdata.xml", '<eResDataCol Count="1"><eResData Name="foto" Type="1"/></eResDataCol>')
        z.writestr("foto.img", b"no es una imagen")
    with pytest.warns(UserWarning, match="foto.img"):
        orvanespt.load(tmp_path / "foto.xpd")


@pytest.mark.parametrize("name", ["copia.xml", "copia.xpd"])
def test_an_edit_is_saved_and_read_back(sales, name):
    rpt, tmp_path = orvanespt.load(sales), sales.parent
    assert not rpt.is_dirty
    rpt.name, rpt.info = "Ventas 2", "Año «nuevo»"
    rpt.parameters["Ciudad"].default = "Madrid"
    rpt.connections[0].connection_string = "Provider=SQLite;Data Source=" + str(sales.with_suffix(".db"))
    assert rpt.is_dirty
    rpt.save(tmp_path / name)
    assert not rpt.is_dirty
    back = orvanespt.load(tmp_path / name)
    assert (back.name, back.info, back.parameters["Ciudad"].value) == ("Ventas 2", "Año «nuevo»", "Madrid")
    assert back.to_xml() == rpt.to_xml() and not back.is_dirty
    assert {r["fields"]["ciudad"] for s in back.walk() for r in s if r["source"] == "clientes"} == {"Madrid"}
    with pytest.raises(OSError, match="no se pudo escribir"):
        rpt.save(tmp_path / "no-such-folder" / name)


def test_check_gives_orvane_checks_findings(sales):
    rpt, tmp_path = orvanespt.load(sales), sales.parent
    pedidos = rpt.connections[0].record_sources[0].record_sources[0]
    pedidos.sql += " AND @Nada = 1"
    pedidos.filter = "estado <> "
    rpt.connections[1].record_sources[0].sql = "SELECT nada FROM ninguna"
    rpt.save(tmp_path / "mal.xml")
    for opened in (False, True):
        findings = rpt.check(open=opened)
        expected = orvane("check", "--format", "json", *(["--open"] if opened else []), tmp_path / "mal.xml")
        assert findings == expected["findings"]
        kinds = {f["kind"] for f in findings}
        assert {"unknown_macro", "bad_filter"} <= kinds and ("query_failed" in kinds) == opened


def test_rows_and_to_pandas(sales, monkeypatch):
    rpt = orvanespt.load(sales)
    db = sqlite3.connect(sales.with_suffix(".db"))
    expected = [{"ciudad": c} for (c,) in db.execute("SELECT DISTINCT ciudad FROM clientes ORDER BY ciudad")]
    assert rpt.rows("ciudades") == expected
    assert rpt.rows("clientes", {"Ciudad": "M%"}) == [
        dict(zip(("id_cliente", "nombre", "ciudad"), r))
        for r in db.execute("SELECT id_cliente, nombre, ciudad FROM clientes WHERE ciudad LIKE 'M%' ORDER BY nombre")]
    with pytest.raises(KeyError, match="«nada»"):
        rpt.rows("nada")
    nowhere = {"ventas": "Provider=SQLite;Data Source=/ninguna/ninguna.db"}
    with pytest.raises(orvanespt.DataError, match="«ventas».*ninguna.db"):
        rpt.rows("clientes", connections=nowhere)
    with pytest.raises(orvanespt.DataError, match="«ventas».*ninguna.db"):
        next(rpt.walk(connections=nowhere))
    monkeypatch.setitem(sys.modules, "pandas", None)
    with pytest.raises(ImportError, match="necesita pandas"):
        rpt.to_pandas("ciudades")

    class Pandas:  # what to_pandas hands to pandas
        class DataFrame:
            from_records = staticmethod(lambda rows, columns: (columns, rows))

    monkeypatch.setitem(sys.modules, "pandas", Pandas)
    assert rpt.to_pandas("ciudades") == (["ciudad"], [tuple(r.values()) for r in expected])


def source(name, sql, children="", field="", linked="", send=""):
    """A record source of connection "c" as the definition holds it."""
    return (f'<eRSource Name="{name}" ecnnName="c" CursorLocation="3" CursorType="3" TypeofCommand="1" LockType="1" '
            f'Filter="" Order="" SQLCommand={quoteattr(sql)} eFieldNametoParameters="{field}" '
            f'idParameterLinked="{linked}" SendParameters="{send}"><eRSources>{children}</eRSources></eRSource>')


def report(name, sources, parameters=(), cnn="Provider=SQLite;Data Source=:memory:"):
    """A definition whose connection "c" holds sources, with whole-number parameters."""
    params = "".join(f'<eParameter Name="{p}" eType="adInteger" Predef="0"/>' for p in parameters)
    return orvanespt.from_xml(f'<Orvane Name="{name}"><eConnections><eConnection Name="c" Internal="0" '
                              f'cnnString={quoteattr(cnn)}><eRSources>{sources}</eRSources></eConnection>'
                              f'</eConnections><eParameters>{params}</eParameters></Orvane>')


def slow_report():
    return report("lento", source("lento", SLOW))


def test_a_child_cut_where_its_own_child_fails_warns_as_orvane_run(tmp_path):
    # The grandchild's query overflows for the second child row only.
    nietos = source("nietos", "SELECT CASE WHEN @N = 2 THEN abs(-9223372036854775807 - 1) ELSE @N END AS x")
    hijos = source("hijos", "SELECT 1 AS n UNION ALL SELECT 2 UNION ALL SELECT 3", nietos, "n", "N")
    rpt = report("corte", source("t", "SELECT 7 AS id", hijos), ["N"])
    with pytest.warns(UserWarning, match='^paso 1: origen de registros "t": origen de registros "hijos": .*overflow'):
        assert_walk_as_cli(rpt, tmp_path / "corte.xml")
    with pytest.warns(UserWarning):
        assert [len(c["rows"]) for s in rpt.walk() for r in s for c in r["children"]] == [1]


def key_order(value):
    if isinstance(value, dict):
        return [(k, key_order(v)) for k, v in value.items()]
    return [key_order(v) for v in value] if isinstance(value, list) else None


def test_rows_a_host_keeps_or_changes_never_show_in_later_steps(tmp_path):
    # The walk refills the rows of a step nothing holds any more; "varia"'s
    # columns are named after the parent, so its rows never fit another's.
    rows = "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 4) "
    children = (source("fija", rows + "SELECT n, n * @Id AS x FROM c")
                + source("varia", rows + "SELECT n AS a@Id, 0.5 * n AS b@Id FROM c"))
    top = "WITH RECURSIVE p(id) AS (SELECT 1 UNION ALL SELECT id + 1 FROM p WHERE id < 8) SELECT id FROM p"
    rpt = report("relleno", source("p", top, children, "id", "Id"), ["Id"])
    rpt.save(tmp_path / "relleno.xml")
    expected = orvane("run", "--format", "json", tmp_path / "relleno.xml")["steps"]
    seen, kept, held = [], [], []
    for step in rpt.walk():
        seen.append((as_json(step), key_order(step)))
        first, second, third, fourth = step[0]["children"][0]["rows"]
        assert not {id(h) for h in held} & {id(r["children"]) for c in step[0]["children"] for r in c["rows"]}
        kept.append(first)
        held.append(second["children"])
        second["fields"]["n"] = "cambiado"
        third["fields"]["x"] = third["fields"].pop("n")
        fourth["children"].append("cambiado")
    assert seen == [(s, key_order(s)) for s in expected]
    assert [as_json(row) for row in kept] == [s[0]["children"][0]["rows"][0] for s in expected]


def test_threads_walk_in_parallel_without_the_gil(sales):
    expected = [as_json(s) for s in orvanespt.load(sales).walk()]
    results, gaps = {}, []

    def work(i):
        results[i] = (slow_report().rows("lento"), [as_json(s) for s in orvanespt.load(sales).walk()])

    threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
    started = time.perf_counter()
    for t in threads:
        t.start()
    last = time.perf_counter()
    while any(t.is_alive() for t in threads):
        now = time.perf_counter()
        gaps.append(now - last)
        last = now
        time.sleep(0.001)
    for t in threads:
        t.join()
    assert results[0] == results[1] == ([{"n": 1500000}], expected)
    # A query holding the GIL would stall this loop for the whole query.
    assert max(gaps) < (last - started) / 4


def test_readme_example_runs(sales):
    readme = (SOURCE / "README.md").read_text(encoding="utf-8")
    section = readme.split("\n## Python\n", 1)[1]
    code = re.search(r"```python\n(.*?)```", section, re.S).group(1).replace('"/tmp/', '"')
    env = {**os.environ, "PYTHONPATH": str(Path(orvanespt.__file__).parents[1])}
    out = subprocess.run([sys.executable, "-c", code], cwd=sales.parents[2], capture_output=True, text=True, env=env)
    assert out.returncode == 0, out.stderr
    assert "Construcciones Ibáñez" in out.stdout


@pytest.fixture()
def pg():
    cs, user, password = (os.environ.get(k) for k in ("ORVANE_TEST_PG", "ORVANE_TEST_PG_USER", "ORVANE_TEST_PG_PASSWORD"))
    if not (cs and user and password):
        pytest.skip("no PostgreSQL test server (scripts/pg-server.sh)")
    return f"{cs}UID={user};PWD={password};"


def test_postgres_walk_with_exact_values_and_a_bound_list(pg, tmp_path):
    top = ("SELECT * FROM (VALUES (1, 'uno', 12.50::numeric(10,2), DATE '2024-03-14', TIMESTAMP '2024-03-14 14:30:00.125'),"
           " (2, 'dos', -0.01::numeric(10,2), DATE '2023-12-31', TIMESTAMP '2023-12-31 23:59:59'))"
           " AS t(id, nombre, importe, fecha, momento) WHERE id IN (?) ORDER BY id")
    child = "SELECT n, n * 1.5 AS x FROM generate_series(1, @Id) AS s(n)"
    rpt = report("pg", source("t", top, source("hijos", child), "id", "Id", "Ids"), ["Id", "Ids"], pg)
    assert_walk_as_cli(rpt, tmp_path / "pg.xml", {"Ids": [1, 2]})
    first = next(rpt.walk(parameters={"Ids": [2, 1]}))[0]
    assert first["fields"] == {"id": 1, "nombre": "uno", "importe": decimal.Decimal("12.50"),
                               "fecha": dt.date(2024, 3, 14), "momento": dt.datetime(2024, 3, 14, 14, 30, 0, 125000)}
    assert [r["fields"]["x"] for r in first["children"][0]["rows"]] == [decimal.Decimal("1.5")]
    assert rpt.check(open=True) == orvane("check", "--format", "json", "--open", tmp_path / "pg.xml")["findings"]
