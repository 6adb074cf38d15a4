// The texts of the data layer that a person reads: why a connection, a
// command, a record source, a filter or a sort failed, in one voice (what
// failed, about which item, why, what to do). The words are the same
// throughout: conexión, cadena de conexión, origen de registros, parámetro,
// campo, filtro, orden. Texts of drivers and database servers are passed in
// as arguments, unchanged. A translation replaces this file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <orvanespt/platform/Wording.h>

namespace orvane::data::msg {

using platform::msg::Quoted;

// --- connections ---
inline std::string NoApplication(const std::string& name) {
    return "el administrador de conexiones no tiene la aplicación " + Quoted(name);
}
inline std::string OfApplication(const std::string& name, const std::string& why) {
    return "aplicación " + Quoted(name) + ": " + why;
}
inline std::string DataLinkFile(const std::string& path, const std::string& why) {
    return "archivo de vínculo de datos " + Quoted(path) + ": " + why;
}
inline const char* const kNoSuchFile = "el archivo no existe";
inline const char* const kNoConnectionStringThere = "no contiene ninguna cadena de conexión";
inline const char* const kConnectionNotOpened = "la conexión no se abrió";
inline const char* const kConnectionCouldNotOpen = "la conexión no se pudo abrir";
inline const char* const kConnectionClosed = "la operación no se permite con la conexión cerrada: ábrala antes";
inline const char* const kConnectionOpen = "la operación no se permite con la conexión abierta: ciérrela antes";
inline const char* const kConnectionStringEmpty = "la cadena de conexión está vacía";
inline const char* const kSqliteNoDataSource = "la cadena de conexión de SQLite no indica Data Source";
inline std::string ProviderNotSupported(const std::string& name, const std::string& mappingFile) {
    return "el proveedor " + Quoted(name) +
           " no se admite (use SQLite, ODBC mediante MSDASQL, DSN= o Driver=, o un proveedor del archivo de "
           "correspondencias " +
           mappingFile + ")";
}
inline const char* const kNoProvider =
    "la cadena de conexión no indica ningún proveedor (Provider=SQLite, Provider=MSDASQL, DSN= o Driver=)";
inline std::string ProviderOpenedNothing(const std::string& name) {
    return "el proveedor " + Quoted(name) + " no abrió nada";
}
inline std::string SchemaNotSupported(int schema) {
    return "el esquema " + std::to_string(schema) + " no se admite (20 tablas, 16 procedimientos)";
}
inline std::string TimedOut(int seconds, const std::string& key) {
    return "sin respuesta en " + std::to_string(seconds) + " s (" + key + "): ";
}
inline std::string TimeoutInvalid(const std::string& key, const std::string& value, int most) {
    return key + "=" + value + ": se esperaba un número entero de segundos entre 0 y " + std::to_string(most);
}
inline std::string SqliteNotOpened(const std::string& path, const std::string& why) {
    return "no se puede abrir la base de datos SQLite " + path + ": " + why;
}
inline const char* const kOutOfMemory = "no queda memoria";
inline const char* const kOdbcNotStarted = "no se puede iniciar ODBC (no hay identificador de entorno)";
inline const char* const kOdbcNoDescription = "error de ODBC sin descripción";
inline std::string WindowsSignOn(const std::string& pair) {
    return "el inicio de sesión de Windows (" + pair +
           ") no está disponible aquí: dé a la conexión un User ID y un "
           "Password";
}

// --- the mapping of OLE DB providers to ODBC drivers ---
inline const char* const kFamilySection = "familia";
inline std::string NoDebianDriver(const std::string& asked, const std::string& family, const std::string& file) {
    return asked + " necesita un controlador ODBC para " + family +
           " y Debian no trae ninguno: indique el instalado aquí como Driver= en la sección [" + family + "] de " +
           file;
}
inline std::string DriverNotInstalled(const std::string& driver, const std::string& asked, const std::string& package) {
    return "el controlador ODBC " + Quoted(driver) + " que necesita " + asked + " no está instalado" +
           (package.empty() ? std::string(" (regístrelo en odbcinst.ini)") : " (paquete de Debian " + package + ")");
}
inline std::string AskedByDriver(const std::string& driver) {
    return "el controlador " + Quoted(driver);
}
inline std::string AskedByProvider(const std::string& provider) {
    return "el proveedor " + Quoted(provider);
}
inline std::string UnknownMappingKey(const std::string& key) {
    return "la clave " + Quoted(key) + " no existe (Providers, Drivers, Driver, Package, Source, Database, Options)";
}

// --- commands and parameters ---
inline const char* const kNullParameter = "no se puede añadir ni poner un parámetro nulo";
inline std::string NoParameterAt(std::size_t index) {
    return "no hay ningún parámetro en la posición " + std::to_string(index);
}
inline const char* const kNoActiveConnection = "el comando no tiene conexión activa: asígnele una abierta";
inline std::string MoreMarksThanParameters(std::size_t given) {
    return "la consulta tiene más marcas ? que los " + std::to_string(given) + " parámetros que se dan";
}
inline std::string MarksAndParameters(std::size_t used, std::size_t given) {
    return "la consulta tiene " + std::to_string(used) + " marcas ? pero se dan " + std::to_string(given) +
           " parámetros";
}
inline const char* const kSqliteNoProcedures =
    "SQLite no tiene procedimientos almacenados: use el tipo de comando 1 (texto) o 2 (tabla)";

// --- recordsets ---
inline const char* const kNoCurrentRecord =
    "no hay registro actual: el conjunto de registros está al principio o al final";
inline std::string NoFieldAt(long long index) {
    return "no hay ningún campo en la posición " + std::to_string(index);
}
inline std::string NoFieldNamed(const std::string& name) {
    return "no hay ningún campo llamado " + Quoted(name);
}
inline const char* const kRecordsetClosed = "la operación no se permite con el conjunto de registros cerrado";
inline const char* const kPastTheEnd = "no se puede avanzar más allá del final del conjunto de registros (EOF)";
inline const char* const kBeforeTheStart =
    "no se puede retroceder más allá del principio del conjunto de registros (BOF)";
inline std::string TooManyRows(std::size_t most) {
    return "el resultado tiene más de " + std::to_string(most) +
           " filas, lo más que un conjunto de registros guarda en memoria: acote la consulta";
}
inline const char* const kTooManyValues = "error interno: demasiados valores en una fila";
inline std::string ColumnTooLarge(const std::string& column) {
    return "los textos de la columna " + column +
           " pasan de los 4 GiB que guarda una columna de un conjunto de registros";
}

// --- filters and sorts ---
inline std::string InvalidFilter(const std::string& why, std::size_t position) {
    return "filtro no válido: " + why + " en la posición " + std::to_string(position);
}
inline const char* const kUnbalancedParen = "sobra un ')'";
inline const char* const kExpectedAndOr = "se esperaba AND u OR";
inline const char* const kExpectedCondition = "se esperaba una condición";
inline const char* const kNestedTooDeep = "los paréntesis anidan demasiado";
inline const char* const kMissingParen = "falta ')'";
inline const char* const kMissingBracket = "falta ']'";
inline const char* const kNullComparison = "NULL solo se compara con = o <>";
inline const char* const kLikeNeedsText = "LIKE necesita un texto entre comillas";
inline const char* const kEmptyFieldName = "el nombre del campo está vacío";
inline const char* const kExpectedFieldName = "se esperaba un nombre de campo";
inline const char* const kExpectedOperator = "se esperaba un operador (=, <>, <, >, <=, >=, LIKE)";
inline const char* const kExpectedValue = "se esperaba un valor";
inline const char* const kUnterminatedText = "el texto no tiene comilla de cierre";
inline const char* const kMissingHash = "falta el '#' de cierre";
inline const char* const kInvalidDate = "la fecha no es válida";
inline const char* const kExpectedValueKinds = "se esperaba un valor ('texto', #fecha#, número, TRUE, FALSE o NULL)";
inline std::string InvalidSort(const std::string& why) {
    return "orden no válido: " + why;
}
inline std::string SortMissingBracket(const std::string& piece) {
    return InvalidSort("falta ']' en " + Quoted(piece));
}
inline std::string SortFieldMissingBefore(const std::string& word) {
    return InvalidSort("falta el nombre del campo antes de " + word);
}
inline std::string SortExpectedDirection(const std::string& field, const std::string& found) {
    return InvalidSort("se esperaba ASC o DESC después de " + field + ", pero hay " + Quoted(found));
}
inline std::string NoFieldForExpression(const std::string& name) {
    return "el conjunto de registros no tiene ningún campo llamado " + Quoted(name);
}

// --- record sources ---
inline const char* const kSourcesTooDeep = "los orígenes de registros anidan demasiados niveles";
inline const char* const kNoRecords = "el comando no devolvió registros";
// What a record source was doing when its query failed.
inline const char* const kStepBind = "enlazar los parámetros";
inline const char* const kStepRun = "ejecutar la consulta";
inline const char* const kStepRead = "leer las filas";
inline std::string FailedTo(const char* step, const std::string& why) {
    std::string out = "no se pudo ";
    out += step;
    out += ": ";
    out += why;
    return out;
}
inline std::string OfSource(const std::string& name, const std::string& why) {
    return "origen de registros " + Quoted(name) + ": " + why;
}
inline std::string StepProblem(std::size_t step, const std::string& name, const std::string& why) {
    return "paso " + std::to_string(step) + ": " + OfSource(name, why);
}

// --- commands: marks, types and texts ---
inline const char* const kListInNumberedMark = "una lista de valores no puede ir en una marca numerada (?N)";
inline std::string MarksForList(std::size_t marks, std::size_t parameters) {
    return "la consulta tiene " + std::to_string(marks) + " marcas ? para " + std::to_string(parameters) +
           " parámetros, uno de ellos una lista de valores";
}
inline std::string CommandTypeNotSupported(int type) {
    return "el tipo de comando " + std::to_string(type) + " no se admite (1, 2 o 4)";
}
inline const char* const kCommandTextEmpty = "el texto del comando está vacío";
inline std::string CommandTypeNotNumber(const std::string& stored) {
    return "el tipo de comando " + Quoted(stored) + " no es un número";
}
inline std::string CommandTypeNotWhole(const std::string& stored) {
    return "el tipo de comando " + Quoted(stored) + " no es un número entero";
}
inline std::string ValueNotConverted(const std::string& shown, const std::string& parameter, const std::string& type) {
    return "el valor " + Quoted(shown) + " del parámetro " + Quoted(parameter) + " no se puede convertir al tipo " +
           Quoted(type);
}
inline std::string NotADate(const std::string& parameter, const std::string& shown) {
    return parameter + ": no es una fecha: " + shown;
}
inline std::string UnknownMacro(const std::string& token) {
    return "la macro @" + token + " no nombra ningún parámetro";
}

// --- record sources at run time ---
inline const char* const kSourceWithoutConnection = "el origen de registros no tiene conexión";
inline std::string SourceConnectionUnknown(const std::string& name) {
    return std::string(kSourceWithoutConnection) + ": ecnnName " + Quoted(name) + " no nombra ninguna conexión";
}
inline std::string ConnectionNotOpen(const std::string& name) {
    return "la conexión " + Quoted(name) + " no está abierta: ábrala antes";
}
inline const char* const kSourceNotOpen = "el origen de registros no está abierto";
inline std::string QueryFailedLeavingOut(const std::string& leftOut, const std::string& why) {
    return leftOut + " (la consulta falló: " + why + ")";
}
// A filter or a sort (what: kTheFilter, kTheSort) that could not be set.
// Appended piece by piece: g++ 12 at -O3 warns falsely (restrict) about a
// literal joined to a temporary.
inline std::string NotApplied(const char* what, const std::string& text, const char* end = " no se pudo aplicar") {
    std::string out(what);
    out += ' ';
    out += Quoted(text);
    out += end;
    return out;
}
inline std::string SetFailed(const char* what, const std::string& text, const std::string& why) {
    return NotApplied(what, text, ": ") + why;
}

// --- the check of a definition ---
// The words a finding's place is written with, by kind of step (connection,
// record source, parameter, dialog, format, control, resource), and the
// place of a finding about the whole report.
inline const char* const kPlaceWords[] = {"conexión", "origen",  "parámetro", "diálogo",
                                          "formato",  "control", "recurso"};
inline const char* const kPlaceReport = "reporte";
// What a text belongs to, as findings name it.
inline const char* const kTheQuery = "la consulta";
inline const char* const kTheFilter = "el filtro";
inline const char* const kTheSort = "el orden";
inline const char* const kTheCellTakes = "la celda toma";
inline const char* const kTheConnection = "la conexión";
inline const char* const kTheParameter = "el parámetro";
inline const char* const kTheDialog = "el diálogo";
inline const char* const kTheFormat = "el formato";
inline const char* const kTheResource = "el recurso";
inline const char* const kTheSource = "el origen de registros";
inline const char* const kTheControl = "el control";
inline std::string ConnectionDoesNotOpen(const std::string& why) {
    return "la conexión no se abre: " + why;
}
inline std::string ConnectionNameUnknown(const std::string& name) {
    return "ecnnName " + Quoted(name) + " no nombra ninguna conexión";
}
inline std::string LinkedParameterUnknown(const std::string& name) {
    return "idParameterLinked " + Quoted(name) + " no nombra ningún parámetro";
}
inline const char* const kKeepsRows =
    "conserva sus filas entre los movimientos de su origen de registros padre cuando su consulta se repite";
inline std::string MacroUnknownIn(const std::string& what, const std::string& token) {
    return what + ": " + UnknownMacro(token);
}
inline std::string MacroUnclosed(const std::string& what, std::size_t position) {
    return what + ": \"@{\" sin \"}\" en la posición " + std::to_string(position) +
           ": desde ahí no se reemplaza ninguna macro";
}
inline std::string SentParameterUnknown(const std::string& name) {
    return "SendParameters: " + Quoted(name) + " no nombra ningún parámetro";
}
inline std::string MarksAndSent(std::size_t marks, std::size_t names) {
    return "la consulta tiene " + std::to_string(marks) + " marcas ? y SendParameters envía " + std::to_string(names) +
           " parámetros";
}
inline std::string NotUnderstood(const std::string& what, const std::string& text, const std::string& why) {
    return what + " " + Quoted(text) + " no se entiende: " + why;
}
inline std::string QueryTypeNotNumber(const std::string& type) {
    return "el tipo de consulta " + Quoted(type) + " no es un número";
}
inline std::string QueryFails(const std::string& why) {
    return "la consulta falla: " + why;
}
inline std::string FieldNotInQuery(const std::string& what, const std::string& field) {
    return what + ": el campo " + Quoted(field) + " no está en el resultado de la consulta";
}
inline std::string DefaultUnreadable(const std::string& type, const std::string& why) {
    return "el valor por omisión no se lee como su tipo " + type + ": " + why;
}
inline std::string ReferenceNamesNoSource(const std::string& what, const std::string& ref, const std::string& source) {
    return what + " " + Quoted(ref) + ": " + Quoted(source) + " no nombra ningún origen de registros";
}
inline std::string FieldNotInSource(const std::string& what, const std::string& ref, const std::string& field,
                                    const std::string& source) {
    return what + " " + Quoted(ref) + ": el campo " + Quoted(field) + " no está en el resultado de " + Quoted(source);
}
inline std::string BindingUnknown(const std::string& bound) {
    return "BindObject " + Quoted(bound) + " no nombra ningún parámetro ni origen de registros";
}
inline std::string SourceNameUnknown(const std::string& name) {
    return "SourceName " + Quoted(name) + " no nombra ningún origen de registros";
}
inline const char* const kGridUnreadable = "la tabla de la rejilla (dato \"Tables\") no se puede leer";
inline std::string Confused(const std::string& what, const std::string& name, const std::string& first) {
    return what + " " + Quoted(name) + " se confunde con " + Quoted(first) +
           ": al buscarlo por nombre se encuentra el primero";
}
inline std::string CheckStopped(const std::string& why) {
    return "la revisión se detuvo: " + why;
}

}  // namespace orvane::data::msg
