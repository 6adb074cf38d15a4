// The enumerations of report definitions. Values are fixed: they are stored
// as numbers in the definition XML.
#pragma once

#include <cstdint>

namespace orvane {

/// A print format's page orientation.
enum Orientation : std::int32_t {
    Vertical = 1,    ///< portrait
    Horizontal = 2,  ///< landscape
};

/// Where a print format goes on after each item.
enum eMoveOn : std::int32_t {
    Page = 1,  ///< a new page per item
    Col = 2,   ///< the next column
    Row = 3,   ///< the next row
};

/// A print format's paper size.
enum PaperT : std::int32_t {
    Carta = 0,          ///< letter
    Oficio = 1,         ///< legal
    Personalizado = 2,  ///< custom size
};

/// The kind of a report resource.
enum ResTypes : std::int32_t {
    rtPicture = 1,  ///< a picture resource
    rtText = 2,     ///< a text resource
};

/// What a printer command's content is.
enum SourceType : std::int32_t {
    cEmpty = 0,    ///< nothing to encode
    cText = 1,     ///< literal text
    cFormula = 2,  ///< a formula the host evaluates
};

/// The medium a printer command encodes for.
enum StrTypes : std::int32_t {
    cnothing = 0,        ///< no encoding
    cmagneticstrip = 1,  ///< three magnetic tracks
    csmartcard = 2,      ///< a smart-card chip
    ccustom = 3,         ///< a free custom command
};

}  // namespace orvane
