// The texts of the model layer that a person reads: the XML reader's reasons
// (one per parser error code), the package's messages and refusals. Texts
// the definition format fixes stay as it fixes them ("Unzip: ", the
// picture's message). A translation replaces this file.
#pragma once

#include <expat.h>

#include <string>

namespace orvane::model::msg {

inline std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// The reason of an XML parser error code, in the words of a person who
// writes definitions.
inline const char* XmlReason(int code) {
    switch (static_cast<XML_Error>(code)) {
        case XML_ERROR_NONE: return "sin error";
        case XML_ERROR_NO_MEMORY: return "no queda memoria";
        case XML_ERROR_SYNTAX: return "error de sintaxis";
        case XML_ERROR_NO_ELEMENTS: return "no hay ningún elemento";
        case XML_ERROR_INVALID_TOKEN: return "el texto no está bien formado (carácter o marca no válidos)";
        case XML_ERROR_UNCLOSED_TOKEN: return "una marca queda sin cerrar";
        case XML_ERROR_PARTIAL_CHAR: return "un carácter queda incompleto";
        case XML_ERROR_TAG_MISMATCH: return "la etiqueta de cierre no corresponde a la de apertura";
        case XML_ERROR_DUPLICATE_ATTRIBUTE: return "un atributo se repite";
        case XML_ERROR_JUNK_AFTER_DOC_ELEMENT: return "hay texto después del elemento raíz";
        case XML_ERROR_PARAM_ENTITY_REF: return "referencia ilegal a una entidad de parámetro";
        case XML_ERROR_UNDEFINED_ENTITY: return "entidad no definida";
        case XML_ERROR_RECURSIVE_ENTITY_REF: return "referencia recursiva a una entidad";
        case XML_ERROR_ASYNC_ENTITY: return "entidad asíncrona";
        case XML_ERROR_BAD_CHAR_REF: return "la referencia a carácter nombra un carácter no válido";
        case XML_ERROR_BINARY_ENTITY_REF: return "referencia a una entidad binaria";
        case XML_ERROR_ATTRIBUTE_EXTERNAL_ENTITY_REF: return "referencia a una entidad externa en un atributo";
        case XML_ERROR_MISPLACED_XML_PI: return "la declaración XML no está al principio del texto";
        case XML_ERROR_UNKNOWN_ENCODING: return "codificación desconocida";
        case XML_ERROR_INCORRECT_ENCODING: return "la codificación declarada no es la del texto";
        case XML_ERROR_UNCLOSED_CDATA_SECTION: return "una sección CDATA queda sin cerrar";
        case XML_ERROR_EXTERNAL_ENTITY_HANDLING: return "error al procesar una referencia a una entidad externa";
        case XML_ERROR_NOT_STANDALONE: return "el texto no es independiente";
        case XML_ERROR_UNEXPECTED_STATE: return "estado inesperado del lector";
        case XML_ERROR_ENTITY_DECLARED_IN_PE: return "entidad declarada en una entidad de parámetro";
        case XML_ERROR_FEATURE_REQUIRES_XML_DTD: return "la función pedida necesita DTD";
        case XML_ERROR_CANT_CHANGE_FEATURE_ONCE_PARSING: return "no se puede cambiar una opción durante la lectura";
        case XML_ERROR_UNBOUND_PREFIX: return "prefijo de espacio de nombres sin declarar";
        case XML_ERROR_UNDECLARING_PREFIX: return "no se puede anular la declaración de un prefijo";
        case XML_ERROR_INCOMPLETE_PE: return "entidad de parámetro incompleta";
        case XML_ERROR_XML_DECL: return "la declaración XML no está bien formada";
        case XML_ERROR_TEXT_DECL: return "la declaración de texto no está bien formada";
        case XML_ERROR_PUBLICID: return "identificador público no válido";
        case XML_ERROR_SUSPENDED: return "la lectura está suspendida";
        case XML_ERROR_NOT_SUSPENDED: return "la lectura no está suspendida";
        case XML_ERROR_ABORTED: return "la lectura se interrumpió";
        case XML_ERROR_FINISHED: return "la lectura ya terminó";
        case XML_ERROR_SUSPEND_PE: return "no se puede suspender en una entidad de parámetro externa";
        case XML_ERROR_RESERVED_PREFIX_XML: return "el prefijo reservado (xml) no se puede anular ni ligar a otro nombre";
        case XML_ERROR_RESERVED_PREFIX_XMLNS: return "el prefijo reservado (xmlns) no se puede declarar ni anular";
        case XML_ERROR_RESERVED_NAMESPACE_URI: return "un prefijo no se puede ligar a un espacio de nombres reservado";
        case XML_ERROR_INVALID_ARGUMENT: return "argumento no válido";
        case XML_ERROR_NO_BUFFER: return "no hay búfer de lectura";
        case XML_ERROR_AMPLIFICATION_LIMIT_BREACH:
            return "las entidades crecen más de lo admitido (posible ataque de amplificación)";
    }
    return "error desconocido del lector XML";
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
inline const char* const kUnzip = "Unzip: ";                          // likewise
inline std::string ResourceNotSaved(const std::string& name) {
    return "No se guardó el recurso " + Quoted(name) + ": su nombre no es un nombre de archivo válido.";
}
inline const char* const kEntryRefused = "nombre no admitido, repetido o ilegible";
inline const char* const kHelpNotFound = "No se encontró el archivo de ayuda";  // the definition format's own text

}  // namespace orvane::model::msg
