// The module's own texts, in Spanish; the library's and the drivers' texts
// pass through unchanged.
#pragma once

#include <cstddef>
#include <string>

namespace orvane::python::msg {

inline std::string IntegerTooLarge(const std::string& what) {
    return "«" + what + "»: el entero no cabe en 64 bits";
}
inline std::string DecimalNotFinite(const std::string& what) {
    return "«" + what + "»: un decimal infinito o NaN no es un valor";
}
inline std::string DecimalTooLong(const std::string& what, std::size_t most) {
    return "«" + what + "»: el decimal tiene más de " + std::to_string(most) + " dígitos";
}
inline std::string DateWithZone(const std::string& what) {
    return "«" + what +
           "»: las fechas con zona horaria no se admiten; pásela sin tzinfo, en la hora que espera la base de datos";
}
inline std::string ValueTypeRefused(const std::string& what, const std::string& type) {
    return "«" + what + "»: un valor de tipo " + type +
           " no sirve; use str, int, float, bool, decimal.Decimal, datetime.date, datetime.datetime, datetime.time o "
           "None";
}
inline std::string UnknownParameter(const std::string& name, const std::string& known) {
    return "no hay ningún parámetro «" + name + "» (parámetros: " + known + ")";
}
inline std::string UnknownConnection(const std::string& name, const std::string& known) {
    return "no hay ninguna conexión «" + name + "» (conexiones: " + known + ")";
}
inline std::string UnknownSource(const std::string& name) {
    return "no hay ningún origen de datos «" + name + "»";
}
inline const char* const kNone = "ninguno";
inline std::string NoSuchFile(const std::string& file) {
    return file + ": el archivo no existe";
}
inline std::string IsFolder(const std::string& file) {
    return file + ": es una carpeta, no un archivo";
}
inline std::string CannotRead(const std::string& file) {
    return file + ": no se pudo leer el archivo";
}
inline std::string NotAPackage(const std::string& file, const std::string& why) {
    return file + ": no es un paquete legible (" + why + ")";
}
inline const char* const kNotAZip = "no es un archivo zip";
inline std::string NoSourceXml(const std::string& file) {
    return file + ": el paquete no contiene source.xml";
}
inline std::string PackageRefused(const std::string& file, const std::string& why) {
    return file + ": paquete rechazado (" + why + ")";
}
inline std::string NotWellFormed(const std::string& where, std::size_t line, std::size_t column,
                                 const std::string& reason) {
    return where + "línea " + std::to_string(line) + ", columna " + std::to_string(column) + ": " + reason;
}
inline std::string NotADefinition(const std::string& where, const std::string& root) {
    return where + "no es una definición de reporte (el elemento raíz es «" + root + "», no «Orvane»)";
}
inline std::string EntryLeftOut(const std::string& file, const std::string& entry, const std::string& why) {
    return file + ": " + entry + " no se leyó (" + why + ")";
}
inline std::string CannotWrite(const std::string& file) {
    return file + ": no se pudo escribir el archivo";
}
inline std::string ConnectionNotOpened(const std::string& name, const std::string& why) {
    return "la conexión «" + name + "» no se abrió: " + why;
}
inline std::string SourceNotOpened(const std::string& name, const std::string& why) {
    return "el origen de datos «" + name + "» no se abrió: " + why;
}
inline const char* const kWalkBusy = "este recorrido ya avanza en otro hilo";
inline const char* const kLimitNegative = "limit no puede ser negativo";
inline const char* const kNotAMapping = "se esperaba un dict de nombre a valor";
inline const char* const kEmptyList = "una lista de valores no puede estar vacía";

}  // namespace orvane::python::msg
