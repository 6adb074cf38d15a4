// The texts of the model layer that a person reads: the XML reader's reasons
// (one per parser error code), the package's messages and refusals. Texts
// the definition format fixes stay as it fixes them ("Unzip: ", the
// picture's message). A translation replaces this file.
#pragma once

#include <iterator>
#include <string>

namespace orvane::model::msg {

inline std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// The reason of an XML parser error code, in the words of a person who
// writes definitions; the reasons are in the order of expat's XML_Error.
inline const char* XmlReason(int code) {
    static const char* const kReasons[] = {
        "sin error",
        "no queda memoria",
        "error de sintaxis",
        "no hay ningún elemento",
        "el texto no está bien formado (carácter o marca no válidos)",
        "una marca queda sin cerrar",
        "un carácter queda incompleto",
        "la etiqueta de cierre no corresponde a la de apertura",
        "un atributo se repite",
        "hay texto después del elemento raíz",
        "referencia ilegal a una entidad de parámetro",
        "entidad no definida",
        "referencia recursiva a una entidad",
        "entidad asíncrona",
        "la referencia a carácter nombra un carácter no válido",
        "referencia a una entidad binaria",
        "referencia a una entidad externa en un atributo",
        "la declaración XML no está al principio del texto",
        "codificación desconocida",
        "la codificación declarada no es la del texto",
        "una sección CDATA queda sin cerrar",
        "error al procesar una referencia a una entidad externa",
        "el texto no es independiente",
        "estado inesperado del lector",
        "entidad declarada en una entidad de parámetro",
        "la función pedida necesita DTD",
        "no se puede cambiar una opción durante la lectura",
        "prefijo de espacio de nombres sin declarar",
        "no se puede anular la declaración de un prefijo",
        "entidad de parámetro incompleta",
        "la declaración XML no está bien formada",
        "la declaración de texto no está bien formada",
        "identificador público no válido",
        "la lectura está suspendida",
        "la lectura no está suspendida",
        "la lectura se interrumpió",
        "la lectura ya terminó",
        "no se puede suspender en una entidad de parámetro externa",
        "el prefijo reservado (xml) no se puede anular ni ligar a otro nombre",
        "el prefijo reservado (xmlns) no se puede declarar ni anular",
        "un prefijo no se puede ligar a un espacio de nombres reservado",
        "argumento no válido",
        "no hay búfer de lectura",
        "las entidades crecen más de lo admitido (posible ataque de amplificación)",
    };
    return code >= 0 && code < static_cast<int>(std::size(kReasons)) ? kReasons[code]
                                                                     : "error desconocido del lector XML";
}

// declared: the encoding's name as the text declares it, cut when long.
inline std::string EncodingContradicted(bool byteOrderMark, const std::string& form, const std::string& declared) {
    return (byteOrderMark ? "la marca de orden de bytes (" + form + ") contradice"
                          : "el texto está en " + form + ", que contradice") +
           " la codificación declarada (" + declared + ")";
}
inline std::string EncodingUnread(const std::string& declared) {
    return "no se lee la codificación declarada (" + declared +
           "): se leen UTF-8, UTF-16, windows-1250 a windows-1258 e ISO-8859-1 a ISO-8859-16";
}
inline const char* const kSourcesTooDeep = "los orígenes de registros anidan más niveles de los que se admiten (256)";

// --- packages ---
inline const char* const kBadPicture = "La imágen nos es válida.";  // the definition format's own text
inline const char* const kUnzip = "Unzip: ";                        // likewise
inline std::string ResourceNotSaved(const std::string& name) {
    return "No se guardó el recurso " + Quoted(name) + ": su nombre no es un nombre de archivo válido.";
}
// Why a file gave no report to open.
inline const char* const kNoFile = "el archivo no existe.";
inline const char* const kNotAPackage = "no es un paquete de reporte.";
inline const char* const kPackageDamaged = "el paquete está dañado";
inline const char* const kNoSource = "el paquete no contiene una definición de reporte.";
inline const char* const kNotADefinition = "el archivo no contiene una definición de reporte.";
inline const char* const kEntryRefused = "nombre no admitido, repetido o ilegible";
inline const char* const kHelpNotFound = "No se encontró el archivo de ayuda";  // the definition format's own text

}  // namespace orvane::model::msg
