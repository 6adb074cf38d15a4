"""Report definitions from Python: read, edit, check, save and walk them."""
import datetime
import decimal
import os
from collections.abc import Iterator, Mapping
from typing import Any, TypedDict, Union

Value = Union[None, bool, int, float, str, decimal.Decimal, datetime.date, datetime.datetime, datetime.time]
"""A field's or a parameter's value."""
ParameterValue = Union[Value, list[Value], tuple[Value, ...]]
"""What a parameter takes: a value, or a list of values for IN (...)."""
PathLike = Union[str, bytes, os.PathLike[str], os.PathLike[bytes]]

class Row(TypedDict):
    """One row of a child record source, with its own children."""
    fields: dict[str, Value]
    children: list[Child]

class Child(TypedDict):
    """A child record source's rows under a record."""
    source: str
    rows: list[Row]

class Record(TypedDict):
    """The current record of a top-level record source at a step."""
    source: str
    fields: dict[str, Value]
    children: list[Child]

Step = list[Record]
"""One step: a record per top-level record source not at its end."""

class Place(TypedDict):
    """One step of the way to the item a finding is about."""
    kind: str
    name: str

class Finding(TypedDict):
    """A finding of Report.check, as `orvane check --format json` gives it."""
    kind: str
    severity: str
    place: list[Place]
    where: str
    name: str
    message: str

class ReadError(Exception):
    """A definition or package that could not be read."""
    line: int | None
    """1-based line of a text that is not well-formed XML, else None."""
    column: int | None
    """1-based column (in characters) of that position, else None."""
    reason: str
    """Why it was refused."""
    refused: list[tuple[str, str]]
    """The (entry, reason) pairs of a package left out."""

class DataError(Exception):
    """A connection or query that failed; the message names it and gives the provider's reason."""

class Parameter:
    """A report parameter: its type, default and current value."""
    @property
    def name(self) -> str:
        """The parameter's name."""
    type: str
    """The type name as stored ("adInteger", "strDateTime|yyyy-mm-dd", ...)."""
    default: str
    """The default value expression (text)."""
    @property
    def value(self) -> Value | list[Value]:
        """The current value; a list while the parameter holds several values."""
    @value.setter
    def value(self, value: ParameterValue) -> None: ...

class RecordSource:
    """A record source (a query) with its child record sources."""
    @property
    def name(self) -> str:
        """The record source's name."""
    @property
    def connection(self) -> str:
        """The name of its connection."""
    sql: str
    """The command text, with its macros."""
    filter: str
    """The design-time filter."""
    order: str
    """The design-time sort."""
    @property
    def record_sources(self) -> list[RecordSource]:
        """Its child record sources, re-queried for each of its rows."""

class Connection:
    """A connection with its top-level record sources."""
    @property
    def name(self) -> str:
        """The connection's name."""
    connection_string: str
    """The connection string as stored (it may hold a password)."""
    @property
    def record_sources(self) -> list[RecordSource]:
        """Its top-level record sources, each with its children."""

class Walk(Iterator[Step]):
    """The steps of a walk over a report's data; see Report.walk."""
    def __iter__(self) -> Walk: ...
    def __next__(self) -> Step:
        """The next step; opens the data on the first call (raising DataError when it cannot)."""

class Report:
    """A report definition: read, edited, checked, saved and walked."""
    def __init__(self) -> None:
        """An empty definition."""
    name: str
    """The report's name."""
    info: str
    """A free description of the report."""
    code: str
    """Script code for the host."""
    lang: str
    """The language of the script code."""
    initial_dialog: str
    """The dialog the host shows first; "" for none."""
    initial_prn_format: str
    """The print format the host uses first; "" for none."""
    loaded_from: str
    """The file the definition was read from; relative paths in connection strings start there."""
    @property
    def version(self) -> float:
        """The version the XML text declared."""
    @property
    def is_dirty(self) -> bool:
        """True when the definition changed since it was read or saved."""
    @property
    def parameters(self) -> Mapping[str, Parameter]:
        """The parameters by name (ignoring case), in their order."""
    @property
    def connections(self) -> list[Connection]:
        """The connections, in order, each with its record sources as a tree."""
    def to_xml(self) -> str:
        """The definition XML text."""
    def save(self, path: PathLike) -> None:
        """Writes a package when the path ends in .xpd, else the definition XML; raises OSError on failure."""
    def check(self, open: bool = False) -> list[Finding]:
        """The findings `orvane check --format json` gives; with open, connections and queries are tried too."""
    def walk(self, parameters: Mapping[str, ParameterValue] | None = None, limit: int | None = None,
             requery: bool = False, connections: Mapping[str, str] | None = None) -> Walk:
        """The steps `orvane run --format json` prints, one at a time, on a copy of the report.

        parameters and connections (name to connection string) apply to this walk
        only; limit stops after that many steps; requery runs every child's query
        again on every move instead of keeping rows that cannot have changed.
        A step whose data may be incomplete (a query that failed on a move, a
        child's rows cut where its own children could not be read) is reported
        as a UserWarning, as `orvane run` reports it."""
    def rows(self, source: str, parameters: Mapping[str, ParameterValue] | None = None,
             connections: Mapping[str, str] | None = None) -> list[dict[str, Value]]:
        """One record source's rows (of a connection or a dialog) as dicts of field to value.

        Its design-time filter and sort apply; a child's query sees the
        parameters as they stand. Raises KeyError for an unknown name and
        DataError when the connection or the query fails."""
    def to_pandas(self, source: str, parameters: Mapping[str, ParameterValue] | None = None,
                  connections: Mapping[str, str] | None = None) -> Any:
        """rows() as a pandas DataFrame, its columns in the query's order; ImportError without pandas."""

def load(path: PathLike) -> Report:
    """Reads a definition XML file or a package (.xpd); raises ReadError.

    A package entry that could not be restored is reported as a UserWarning."""

def from_xml(text: str | bytes) -> Report:
    """Reads a definition from its XML text (bytes in the encoding they declare); raises ReadError."""
