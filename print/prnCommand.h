// prnCommand: one card-encoding job for a printer with a magnetic-stripe or
// smart-card encoder, packed into a single string (StrCommand) so a host can
// keep it in one text property. Groups are separated by STX and a source code
// from its content by SOH; nothing is escaped, so a field that itself holds
// STX or SOH does not survive packing and unpacking.
#pragma once

#include <string>

#include <orvanespt/model/Enums.h>
#include <orvanespt/platform/Export.h>

namespace orvane {

/// One card-encoding job (magnetic tracks or a smart card), packed into one
/// string for a host's text property.
class ORVANE_API prnCommand {
public:
    StrTypes StrType = cnothing;  ///< what the job encodes
    std::string EncoderInfo;  ///< information on the encoder, kept for the host
    /// What each magnetic track's and the smart card's content is: empty,
    /// literal text or a formula.
    ///@{
    SourceType SourceTrack1 = cEmpty, SourceTrack2 = cEmpty, SourceTrack3 = cEmpty;
    SourceType SourceSmartCard = cEmpty;
    ///@}
    /// The content of magnetic tracks 1 to 3 and of the smart card.
    ///@{
    std::string Track1, Track2, Track3;
    std::string SmartCard;
    ///@}
    std::string Custom;  ///< the whole command when StrType is ccustom

    /// The packed command; empty text for cnothing or a StrType out of range.
    std::string StrCommand() const;
    /// Replaces the fields (all but EncoderInfo, which only a magnetic or
    /// smart-card string sets) by what the string carries. Never fails: a
    /// missing group or part, or a source that is not a number, leaves that
    /// field reset and the others are still read.
    void StrCommand(const std::string& value);
};

}  // namespace orvane
