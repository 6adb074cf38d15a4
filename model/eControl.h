// eControl: a control of a parameter-entry dialog or of a print format, with
// its named data blocks and its open list of extended properties.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

/// A named binary block in Base64 text.
class ORVANE_API eData {
public:
    std::string Name;    ///< the block's name in its control
    std::string DatB64;  ///< the bytes, in Base64 text
};

/// A named value that only the host's control of that class understands.
class ORVANE_API ExtProperty {
public:
    std::string Name;  ///< the property's name
    Variant Value;     ///< its value
};

/// A control of a parameter-entry dialog or of a print format: its place,
/// its binding, its data blocks and its extended properties.
class ORVANE_API eControl {
public:
    /// A control with an empty Data list and no extended properties.
    eControl();

    std::string Name;  ///< the control's name in its dialog or format
    std::string ControlName;  ///< the bound host control
    std::string Class;        ///< control class identifier
    /// Position and size, in the host's unit.
    ///@{
    float Top = 0, Left = 0, Width = 0, Height = 0;
    ///@}
    bool Visible = false;  ///< shown
    bool NoNull = false;   ///< the host refuses an empty value
    std::int16_t TabIndex = 0;  ///< position in the dialog's tab order
    /// The owning dialog or print format, set by whoever adds the control.
    std::variant<std::weak_ptr<eDialog>, std::weak_ptr<ePrnFormat>> Parent;
    std::string BindObject;  ///< what the control shows or sets: a parameter or field, as the host names it
    bool Enable = false;     ///< accepts input
    bool Locked = false;     ///< shows its value but refuses changes
    std::shared_ptr<Collection<eData>> Data;  ///< the control's named data blocks
    std::shared_ptr<HostObject> LinkObject;  ///< run-time link, never persisted
    /// Null until Extended is written or ExtProperty creates the first item.
    std::shared_ptr<Collection<::orvane::ExtProperty>> ExtendedProperties;

    /// First data block with that name (case-insensitive), or null; const on
    /// a const control.
    ///@{
    std::shared_ptr<eData> GetData(const std::string& Name);
    std::shared_ptr<const eData> GetData(const std::string& Name) const;
    ///@}
    /// GetData, or a new block of that name appended to Data.
    std::shared_ptr<eData> ExtData(const std::string& Name);

    /// The extended properties as one string: Name='value'; per property.
    std::string Extended() const;
    /// Replaces ExtendedProperties by the items parsed from the string; a
    /// string that cannot be parsed leaves ExtendedProperties null.
    void Extended(const std::string& value);

    /// First extended property with that name (case-insensitive), or null;
    /// const on a const control.
    ///@{
    std::shared_ptr<::orvane::ExtProperty> GetExtProperty(const std::string& Name);
    std::shared_ptr<const ::orvane::ExtProperty> GetExtProperty(const std::string& Name) const;
    ///@}
    /// GetExtProperty, or a new property of that name appended (creating the
    /// collection when it is null).
    std::shared_ptr<::orvane::ExtProperty> ExtProperty(const std::string& Name);
};

}  // namespace orvane
