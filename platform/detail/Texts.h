// The texts of the platform layer that a person reads, in one voice: what
// failed, about which item, why, what to do. The file and line wording the
// other layers share is in platform/Wording.h. A translation replaces both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include <orvanespt/platform/Wording.h>

namespace orvane::platform::msg {

inline const char* const kNoRegularFile = "no es un archivo";
// What each step of reading or saving a file does, in FileStep's order.
inline const char* FileStepText(int step) {
    static const char* const kSteps[] = {
        "",
        "crear la carpeta",
        "abrir el archivo",
        "crear el archivo temporal",
        "abrir el archivo",
        "leer el archivo",
        "escribir el archivo temporal",
        "volcar al disco el archivo temporal",
        "poner el archivo temporal en su lugar",
        "volcar al disco la carpeta (el archivo nuevo ya está en su lugar)",
        "preparar el contenido",
    };
    return step >= 0 && static_cast<std::size_t>(step) < std::size(kSteps) ? kSteps[step] : "";
}
inline std::string FileStepFailed(const std::string& path, const std::string& step, const std::string& reason) {
    return path + ": no se pudo " + step + (reason.empty() ? "" : ": " + reason);
}

// --- the connection manager ---
inline const char* const kApplicationSection = "aplicación";
inline const char* const kManagerNoHome =
    "el administrador de conexiones no está instalado: no hay carpeta personal para su archivo";
inline std::string ManagerNoFile(const std::string& path) {
    return "el administrador de conexiones no está instalado: no existe el archivo " + path;
}
inline const char* const kManagerNoFolder =
    "no hay carpeta para el archivo del administrador de conexiones: no hay carpeta personal";
inline const char* const kManagerFileHeader =
    "# Aplicaciones del administrador de conexiones: sus bases de datos y credenciales.\n"
    "# Mantenga este archivo privado (modo 0600).\n";

// --- archives ---
inline std::string EntryEndsEarly(std::uint64_t declared) {
    return "termina antes de los " + std::to_string(declared) + " bytes que declara";
}
inline std::string EntryDeclaresTooMuch(const std::string& name, std::uint64_t size, std::uint64_t most) {
    return "la entrada " + name + " declara " + std::to_string(size) + " bytes, más de los " + std::to_string(most) +
           " que puede tener una entrada";
}
inline std::string EntriesDeclareTooMuch(std::uint64_t most) {
    return "las entradas declaran más de " + std::to_string(most) + " bytes en total";
}
inline std::string TooManyEntries(std::uint64_t most) {
    return "el archivo tiene más de " + std::to_string(most) + " entradas";
}
inline std::string EntryGrowsPastDeclared(const std::string& name, std::uint64_t declared) {
    return "la entrada " + name + " se descomprime en más de los " + std::to_string(declared) + " bytes que declara";
}
inline std::string EntryGrowsPastLimit(const std::string& name) {
    return "la entrada " + name + " se descomprime en más de lo que se admite";
}
// The reason of a zip library error code.
inline const char* ZipReason(int code) {
    static const char* const kReasons[] = {
        "sin error",
        "los archivos zip de varios discos no se admiten",
        "no se pudo renombrar el archivo temporal",
        "no se pudo cerrar el archivo zip",
        "error al buscar una posición",
        "error de lectura",
        "error de escritura",
        "error de CRC: el contenido está dañado",
        "el archivo zip que lo contiene se cerró",
        "el archivo no existe",
        "el archivo ya existe",
        "no se puede abrir el archivo",
        "no se pudo crear el archivo temporal",
        "error de zlib",
        "no queda memoria",
        "la entrada ha cambiado",
        "el método de compresión no se admite",
        "el archivo termina antes de tiempo",
        "argumento no válido",
        "no es un archivo zip",
        "error interno",
        "el archivo zip es incoherente",
        "no se puede borrar el archivo",
        "la entrada se ha borrado",
        "el método de cifrado no se admite",
        "el archivo zip es de solo lectura",
        "no se dio contraseña",
        "la contraseña no es correcta",
        "la operación no se admite",
        "el recurso sigue en uso",
        "error al leer la posición",
        "los datos comprimidos no son válidos",
        "la operación se canceló",
    };
    return code >= 0 && code < static_cast<int>(std::size(kReasons)) ? kReasons[code]
                                                                     : "error desconocido del archivo zip";
}
inline const char* const kArchiveNotReadBack = "el archivo nuevo no se pudo volver a leer";
inline const char* const kArchiveNeedsEntry = "un archivo zip necesita al menos una entrada";

// --- texts and help ---
inline std::string HexTextTooLong(std::size_t length, std::size_t most) {
    return "texto hexadecimal demasiado largo: " + std::to_string(length) + " caracteres, como mucho " +
           std::to_string(most);
}
inline std::string HelpOpened(const std::string& file, int contextId) {
    return "ayuda: " + file + (contextId < 1 ? " (índice)" : " #" + std::to_string(contextId));
}

}  // namespace orvane::platform::msg
