// Every text orvane writes for a person to read: its help, its errors and
// the labels of its output, in one voice (what failed, about which item, why,
// what to do). A translation replaces this file. Names, commands and options
// (show, --format) and the JSON keys stay as they are.
#pragma once

#include <cstddef>
#include <string>

#include <orvanespt/data/WalkSteps.h>

namespace orvane::cli::msg {

inline std::string Q(const std::string& s) {
    return "\"" + s + "\"";
}

// --- help ---
inline const char* const kProgram = "Muestra, convierte, empaqueta, ejecuta y revisa definiciones de reporte";
inline const char* const kHelpFlag = "Muestra esta ayuda y termina";
inline const char* const kFileArg = "Paquete de reporte (.xpd) o XML de definición";
inline const char* const kFormatArg = "Forma de la salida: text o json";
inline const char* const kShow = "Muestra el árbol del reporte, un elemento por línea";
inline const char* const kShowDetailed = "Lista además las propiedades principales de cada elemento";
inline const char* const kXml = "Muestra el XML de definición del reporte";
inline const char* const kGrid = "Muestra la tabla de impresión vinculada a un control de rejilla de impresión";
inline const char* const kGridControl = "Nombre del control de rejilla de impresión";
inline const char* const kPack = "Empaqueta un XML de definición y sus recursos en un paquete de reporte";
inline const char* const kPackXml = "XML de definición";
inline const char* const kPackOutput = "Paquete que se escribe";
inline const char* const kPackPicture = "Recurso de imagen NOMBRE=RUTA (se puede repetir)";
inline const char* const kPackText = "Recurso de texto NOMBRE=RUTA (se puede repetir)";
inline const char* const kRun = "Abre los datos del reporte y muestra el recorrido por sus registros";
inline const char* const kRunParameter = "Valor de un parámetro NOMBRE=VALOR; un NOMBRE repetido forma una lista";
inline const char* const kRunConnection = "Cadena de conexión NOMBRE=CADENA en lugar de la guardada";
inline const char* const kRunLimit = "Muestra como mucho N pasos";
inline const char* const kRunRequery =
    "Repite la consulta de cada origen de registros hijo en cada movimiento, aunque daría las filas que tiene";
inline const char* const kRunSql =
    "Muestra en la salida de errores cada sentencia tal como se envía, con los valores de sus marcas";
inline const char* const kRunTimeout =
    "Segundos que cada conexión puede tardar en abrirse y cada consulta en responder";
inline const char* const kConnections = "Muestra a qué se resuelve cada conexión (y, con --open, por qué no se abre)";
inline const char* const kConnectionsOpen = "Abre además cada conexión y dice si se abrió";
inline const char* const kCheck = "Lista los errores de una definición de reporte, uno por línea";
inline const char* const kCheckOpen = "Abre además cada conexión y prepara cada consulta contra la base de datos";
inline const char* const kLimitInvalid = "se esperaba un número entero de pasos, 0 o más";
inline std::string TimeoutInvalid(int most) {
    return "se esperaba un número entero de segundos entre 1 y " + std::to_string(most);
}

// --- argument errors ---
inline const char* const kSeeHelp = " (vea orvane --help)";
inline std::string UnknownCommand(const std::string& given) {
    return "la orden " + Q(given) + " no existe (órdenes: show, xml, grid, pack, run, connections, check)";
}
inline const char* const kCommandMissing =
    "falta la orden: indique una de show, xml, grid, pack, run, connections o check";
inline std::string ArgumentMissing(const std::string& name) {
    return "falta el argumento " + name;
}
inline std::string ArgumentsNotExpected(const std::string& args) {
    return "sobran argumentos que no se esperaban: " + args;
}
inline std::string ValueMissing(const std::string& option) {
    return "falta el valor de " + option;
}
inline std::string ValueNotAllowed(const std::string& option, const std::string& value) {
    return "el valor " + Q(value) + " de " + option + " no es válido";
}
inline std::string ValueNotAllowed(const std::string& option, const std::string& value, const std::string& why) {
    return ValueNotAllowed(option, value) + ": " + why;
}
inline const char* const kOr = " o ";
inline std::string ValueNotOneOf(const std::string& option, const std::string& value, const std::string& choices) {
    return ValueNotAllowed(option, value, "se admite " + choices);
}
inline std::string OptionValueInvalid(const std::string& option) {
    return "el valor de " + option + " no es válido";
}
inline const char* const kArgumentsInvalid = "los argumentos no son válidos";

// --- files and definitions ---
inline std::string NoSuchFile(const std::string& file) {
    return file + ": el archivo no existe";
}
inline std::string IsFolder(const std::string& file) {
    return file + ": es una carpeta, no un archivo";
}
inline std::string CannotOpen(const std::string& file) {
    return file + ": no se puede abrir";
}
inline std::string NotAPackage(const std::string& file, const std::string& why) {
    return file + ": no es un paquete legible (" + why + ")";
}
inline const char* const kNotAZip = "no es un archivo zip";
inline std::string NoSourceXml(const std::string& file) {
    return file + ": el paquete no contiene source.xml";
}
inline std::string PackageRefused(const std::string& file, const std::string& why) {
    return file + ": paquete rechazado: " + why;
}
// fileAndPlace: "FILE: " or "FILE: source.xml: ".
inline std::string NotADefinition(const std::string& fileAndPlace, const std::string& root) {
    return fileAndPlace + "no es una definición de reporte (el elemento raíz es <" + root + ">; se esperaba <Orvane>)";
}
inline std::string NeitherPackageNorXml(const std::string& file) {
    return file + ": no es un paquete de reporte (zip) ni un XML de definición";
}
inline std::string PackageGivenForXml(const std::string& file) {
    return file + ": es un paquete; indique el XML de definición";
}
inline std::string NotDefinitionXml(const std::string& file) {
    return file + ": no es un XML de definición";
}
inline std::string Warning(const std::string& file, const std::string& what) {
    return file + ": aviso: " + what;
}
inline std::string UnexpectedFailure(const std::string& what) {
    return "fallo inesperado: " + what;
}
inline std::string NotWritten(const std::string& what) {
    return what + " no se pudo escribir en la salida estándar";
}
inline const char* const kTheTree = "el árbol";
inline const char* const kTheXml = "el XML";
inline std::string NotShownAsTree(const std::string& file, const std::string& why) {
    return file + ": no se puede mostrar como árbol: " + why + " (los nombres de los elementos deben ser únicos)";
}

// --- pack ---
inline std::string ResourceNeedsNamePath(const std::string& arg) {
    return "recurso " + Q(arg) + ": se esperaba NOMBRE=RUTA";
}
inline std::string ResourceNameIsNoFileName(const std::string& name) {
    return "el nombre de recurso " + Q(name) + " no puede ser un nombre de archivo";
}
inline std::string ResourceNameControlCharacter(const std::string& name) {
    return "el nombre de recurso " + Q(name) + " contiene un carácter de control";
}
inline std::string ResourceNameTwice(const std::string& name) {
    return "el nombre de recurso " + Q(name) +
           " se da dos veces (los nombres deben distinguirse en algo más que mayúsculas y minúsculas)";
}
inline const char* const kNotAPicture = "no es una imagen";
inline const char* const kCannotBeRead = "no se puede leer";
inline std::string TooManyResources(std::size_t most) {
    return "un paquete contiene como mucho " + std::to_string(most) + " recursos";
}
inline std::string FolderMissing(const std::string& file) {
    return file + ": la carpeta no existe";
}
inline std::string OutputIsFolder(const std::string& file) {
    return file + ": es una carpeta";
}
inline std::string PackageNotPutInPlace(const std::string& file, const std::string& why) {
    return file + ": no se pudo poner el paquete en su lugar (" + why + ")";
}

// --- grid ---
inline std::string NoControl(const std::string& file, const std::string& quotedName) {
    return file + ": ningún control se llama " + quotedName + " en sus formatos de impresión ni en sus diálogos";
}
inline std::string NoPrintTable(const std::string& file, const std::string& quotedName,
                                const std::string& quotedClass) {
    return file + ": el control " + quotedName + " (clase " + quotedClass +
           ") no tiene tabla de impresión vinculada: debe ser de la clase \"ePrnGridControl.ePrnGrid\" y tener un "
           "bloque de datos \"Tables\" con una tabla";
}
inline const char* const kTable = "tabla";
inline const char* const kRow = "fila";
inline const char* const kCell = "celda";
inline const char* const kWidth = "ancho=";
inline const char* const kHeight = "alto=";
inline const char* const kRows = "filas=";
inline const char* const kCells = "celdas=";
inline const char* const kCaption = "título=";
inline const char* const kSource = "origen=";

// --- run ---
inline std::string ParameterNeedsNameValue(const std::string& arg) {
    return "-p " + Q(arg) + ": se esperaba NOMBRE=VALOR";
}
inline const char* const kConnectionNeedsNameString = "--connection espera NOMBRE=CADENA-DE-CONEXIÓN";
inline const char* const kNone = "ninguno";
inline std::string UnknownParameter(const std::string& name, const std::string& names) {
    return "el parámetro " + Q(name) + " no existe (el reporte tiene: " + names + ")";
}
inline std::string UnknownConnection(const std::string& name, const std::string& names) {
    return "la conexión " + Q(name) + " no existe (el reporte tiene: " + names + ")";
}
inline std::string ConnectionNotOpened(const std::string& name, const std::string& why) {
    return "la conexión " + Q(name) + " no se abrió: " + why;
}
inline std::string SourceNotOpened(const std::string& name, const std::string& why) {
    return "el origen de registros " + Q(name) + " no se abrió: " + why;
}
inline const char* const kReport = "reporte ";
inline const char* const kParameters = "parámetros";
inline const char* const kNoFields = "(sin campos)";
inline std::string Step(std::size_t n) {
    return "paso " + std::to_string(n);
}
inline std::string Rows(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " fila" : " filas");
}
inline std::string Steps(std::size_t n, bool limited) {
    return std::to_string(n) + (n == 1 ? " paso" : " pasos") + (limited ? " (se alcanzó el límite)" : "");
}

// --- connections and check ---
inline const char* const kVia = " mediante ";
inline const char* const kOpened = " (abierta)";
inline const char* const kNotOpened = " (no abierta)";
inline const char* const kInfo = ": información: ";
inline const char* const kNoErrors = "sin errores";

}  // namespace orvane::cli::msg
