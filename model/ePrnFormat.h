// ePrnFormat: a print format (page or label layout) made of controls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/model/Enums.h>
#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

/// A print format: a page or label layout made of controls, with its paper,
/// margins and the printer commands sent around it.
class ORVANE_API ePrnFormat {
public:
    /// An empty format with an empty control list.
    ePrnFormat();

    std::string Name;        ///< the format's name in the report
    std::string Properties;  ///< free property text
    float PaperWidth = 0;    ///< paper width
    float PaperHeigth = 0;   ///< paper height (spelling kept: \ref kept_names)
    float Width = 0;         ///< printable area or label width
    float Heigth = 0;        ///< printable area or label height (spelling kept)
    std::int16_t HorizontalN = 0;  ///< labels across the page
    std::int16_t VerticalN = 0;    ///< labels down the page
    float TopM = 0;     ///< top margin
    float BottomM = 0;  ///< bottom margin
    float LeftM = 0;    ///< left margin
    float RigthM = 0;   ///< right margin (spelling kept: \ref kept_names)
    eMoveOn MoveOn = static_cast<eMoveOn>(0);  ///< 0 until set: none of the values
    Orientation eOrientacion = static_cast<Orientation>(0);  ///< portrait or landscape; 0 until set
    std::shared_ptr<Collection<HostObject>> ePropertiesCol;  ///< free, never filled here
    std::shared_ptr<Collection<eControl>> eControls;         ///< the format's controls
    std::string Metric;      ///< the unit the sizes are in, as the host names it
    std::string BackFormat;  ///< the background picture or format, as the host names it
    PaperT Paper = Carta;    ///< the paper size by its code
    /// Printer command text sent before (BeginCommand) and after (EndCommand)
    /// the format; characters 0..255.
    ///@{
    std::string BeginCommand, EndCommand;
    ///@}

    /// First control whose Name / ControlName matches (case-insensitive), or
    /// null; const on a const format.
    ///@{
    std::shared_ptr<eControl> GetControl(const std::string& Name);
    std::shared_ptr<const eControl> GetControl(const std::string& Name) const;
    std::shared_ptr<eControl> GetByControlName(const std::string& Name);
    std::shared_ptr<const eControl> GetByControlName(const std::string& Name) const;
    ///@}
    /// "Control" + the first free counter from the number of controls + 1.
    std::string GetNewName() const;
};

}  // namespace orvane
