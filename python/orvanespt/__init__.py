"""Report definitions from Python.

``load`` reads a definition XML file or a package (.xpd) and ``from_xml`` a
definition text; both raise ``ReadError`` (with ``line``, ``column`` and
``reason`` for a text that is not well-formed). A ``Report`` gives its root
properties, its parameters as a mapping by name, its connections with their
record sources, the findings of ``check``, and its data: ``walk`` yields the
steps ``orvane run --format json`` prints, ``rows`` one record source's rows
and ``to_pandas`` the same as a DataFrame when pandas is installed.

Values come as Python's own types: int, float, str, bool, None,
``decimal.Decimal`` for exact decimals, and ``datetime.date``,
``datetime.datetime`` or ``datetime.time`` for dates and times (a fraction
of a second finer than a microsecond is cut to microseconds; a date outside
the years 1 to 9999 comes as its ISO text). Queries run with the GIL
released, each on a copy of the definition of its own, so threads with a
report each run in parallel.
"""
from collections.abc import Mapping as _Mapping

from ._orvanespt import (
    Connection,
    DataError,
    Parameter,
    ReadError,
    RecordSource,
    Report,
    Walk,
    from_xml,
    load,
)

__all__ = [
    "Connection",
    "DataError",
    "Parameter",
    "ReadError",
    "RecordSource",
    "Report",
    "Walk",
    "from_xml",
    "load",
]


class _Parameters(_Mapping):
    """The report's parameters by name (ignoring case), in their order."""

    def __init__(self, report):
        self._report = report

    def __getitem__(self, name):
        return self._report._parameter(name)

    def __iter__(self):
        return iter(self._report._parameter_names())

    def __len__(self):
        return len(self._report._parameter_names())

    def __contains__(self, name):
        try:
            self._report._parameter(name)
        except KeyError:
            return False
        return True

    def __repr__(self):
        return "<Parameters %s>" % ", ".join(self)


def _parameters(self):
    """The parameters, a mapping of name to ``Parameter``."""
    return _Parameters(self)


def _to_pandas(self, source, parameters=None, connections=None):
    """One record source's rows as a pandas DataFrame (pandas must be installed)."""
    try:
        import pandas
    except ImportError as e:
        raise ImportError(
            "Report.to_pandas necesita pandas, que no está instalado "
            "(apt install python3-pandas, o pip install pandas)") from e
    columns, rows = self._table(source, parameters, connections)
    return pandas.DataFrame.from_records(rows, columns=columns)


Report.parameters = property(_parameters)
Report.to_pandas = _to_pandas
for _cls in (Connection, Parameter, RecordSource, Report, Walk, ReadError, DataError):
    _cls.__module__ = __name__
del _cls
