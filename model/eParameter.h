// eParameter: a typed report parameter with its default expression and its
// current value.
#pragma once

#include <string>

#include "platform/Variant.h"

namespace orvane {

class eParameter {
public:
    std::string Name;
    std::string Predef;    // default value expression
    Variant Value;         // current value
    std::string DTFormat;  // date/time format

    // Type name as stored.
    const std::string& eType() const { return eType_; }
    // "type|format" stores the type and sets DTFormat to the text between the
    // first and second "|"; a value without "|" sets the type only.
    void eType(const std::string& value);

private:
    std::string eType_;
};

}  // namespace orvane
