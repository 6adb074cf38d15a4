// The wording of file and line failures that every layer's messages share,
// in Spanish, so a file or a line is named the same way wherever it failed.
// A translation replaces this file with the layers' text tables.
#pragma once

#include <cstdint>
#include <string>

namespace orvane::platform::msg {

/// The text in double quotes.
inline std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

/// "PATH: no es un archivo".
inline std::string NotAFile(const std::string& path) {
    return path + ": no es un archivo";
}
/// "PATH: no se puede leer".
inline std::string CannotRead(const std::string& path) {
    return path + ": no se puede leer";
}
/// "mide más de N bytes".
inline std::string LargerThan(std::uintmax_t bytes) {
    return "mide más de " + std::to_string(bytes) + " bytes";
}
/// "PATH: mide más de N bytes".
inline std::string FileLargerThan(const std::string& path, std::uintmax_t bytes) {
    return path + ": " + LargerThan(bytes);
}
/// A file holding secrets that others may read or change.
inline std::string NotPrivate(const std::string& path) {
    return path + ": otros usuarios pueden leerlo o cambiarlo; hágalo privado (chmod 600)";
}
/// The place of a mistake in a text file: "línea N: ".
inline std::string Line(int number) {
    return "línea " + std::to_string(number) + ": ";
}
/// A "[section]" line without a name, in a file of sections and keys.
inline std::string SectionNeedsName(const std::string& section) {
    return "una sección [" + section + "] necesita un nombre";
}
/// A line that is neither "[section]" nor "key=value".
inline std::string ExpectedSectionOrKey(const std::string& section) {
    return "se esperaba [" + section + "] o clave=valor";
}
/// A "key=value" line before any "[section]".
inline std::string KeyOutsideSection(const std::string& key, const std::string& section) {
    return "la clave " + Quoted(key) + " está fuera de toda sección [" + section + "]";
}
/// A "=value" line without its key.
inline const char* const kKeyLineNeedsKey = "una línea de clave necesita una clave antes de \"=\"";
/// The same key twice in one section.
inline std::string KeyRepeated(const std::string& key, const std::string& section) {
    return "la clave " + Quoted(key) + " se repite en [" + section + "]";
}

}  // namespace orvane::platform::msg
