// eControl: a control of a parameter-entry dialog or of a print format, with
// its named data blocks and its open list of extended properties.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

// A named binary block in Base64 text.
class eData {
public:
    std::string Name;
    std::string DatB64;
};

// A named value that only the host's control of that class understands.
class ExtProperty {
public:
    std::string Name;
    Variant Value;
};

class eControl {
public:
    eControl();

    std::string Name;
    std::string ControlName;  // the bound host control
    std::string Class;        // control class identifier
    float Top = 0, Left = 0, Width = 0, Height = 0;
    bool Visible = false;
    bool NoNull = false;
    std::int16_t TabIndex = 0;
    // The owning dialog or print format, set by whoever adds the control.
    std::variant<std::weak_ptr<eDialog>, std::weak_ptr<ePrnFormat>> Parent;
    std::string BindObject;
    bool Enable = false;
    bool Locked = false;
    std::shared_ptr<Collection<eData>> Data;
    std::shared_ptr<HostObject> LinkObject;  // run-time link, never persisted
    // Null until Extended is written or ExtProperty creates the first item.
    std::shared_ptr<Collection<::orvane::ExtProperty>> ExtendedProperties;

    // First data block with that name (case-insensitive), or null.
    std::shared_ptr<eData> GetData(const std::string& Name) const;
    // GetData, or a new block of that name appended to Data.
    std::shared_ptr<eData> ExtData(const std::string& Name);

    // The extended properties as one string: Name='value'; per property.
    std::string Extended() const;
    // Replaces ExtendedProperties by the items parsed from the string; a
    // string that cannot be parsed leaves ExtendedProperties null.
    void Extended(const std::string& value);

    // First extended property with that name (case-insensitive), or null.
    std::shared_ptr<::orvane::ExtProperty> GetExtProperty(const std::string& Name) const;
    // GetExtProperty, or a new property of that name appended (creating the
    // collection when it is null).
    std::shared_ptr<::orvane::ExtProperty> ExtProperty(const std::string& Name);
};

}  // namespace orvane
