// ePrnFormat: a print format (page or label layout) made of controls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/model/Enums.h>
#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

class ePrnFormat {
public:
    ePrnFormat();

    std::string Name;
    std::string Properties;  // free property text
    float PaperWidth = 0, PaperHeigth = 0;
    float Width = 0, Heigth = 0;  // printable area or label size
    std::int16_t HorizontalN = 0, VerticalN = 0;
    float TopM = 0, BottomM = 0, LeftM = 0, RigthM = 0;
    eMoveOn MoveOn = static_cast<eMoveOn>(0);  // 0 until set: none of the values
    Orientation eOrientacion = static_cast<Orientation>(0);
    std::shared_ptr<Collection<HostObject>> ePropertiesCol;  // free, never filled here
    std::shared_ptr<Collection<eControl>> eControls;
    std::string Metric;
    std::string BackFormat;
    PaperT Paper = Carta;
    std::string BeginCommand, EndCommand;  // printer command text (characters 0..255)

    std::shared_ptr<eControl> GetControl(const std::string& Name) const;
    std::shared_ptr<eControl> GetByControlName(const std::string& Name) const;
    std::string GetNewName() const;
};

}  // namespace orvane
