// eDialog: a parameter-entry dialog, with its controls and the record sources
// that feed its lists. The host renders it; the library only keeps it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Export.h>

namespace orvane {

/// A parameter-entry dialog: its controls, the record sources that feed its
/// lists and the host's event hooks. The host renders it.
class ORVANE_API eDialog {
public:
    /// An empty dialog with empty control and record-source lists.
    eDialog();

    std::string Name;   ///< the dialog's name in the report
    std::string Title;  ///< the window title
    /// Event hooks for the host: script names run on load, on validation, on
    /// OK, on Cancel and on a control's event.
    ///@{
    std::string Load, Validate, OnOK, OnCancel, OncontrolEvent;
    ///@}
    std::string Class;  ///< the host's dialog class
    float Width = 0;    ///< width, in the host's unit
    float Height = 0;   ///< height, in the host's unit
    std::int32_t BackColor = 0;  ///< background colour, a host colour value
    std::shared_ptr<Collection<eControl>> eControls;  ///< the dialog's controls
    std::shared_ptr<Collection<eRSource>> eRSources;  ///< record sources that feed its lists

    /// First control whose ControlName / Name matches (case-insensitive), or
    /// null; const on a const dialog.
    ///@{
    std::shared_ptr<eControl> GetByControlName(const std::string& Name);
    std::shared_ptr<const eControl> GetByControlName(const std::string& Name) const;
    std::shared_ptr<eControl> GetControl(const std::string& Name);
    std::shared_ptr<const eControl> GetControl(const std::string& Name) const;
    ///@}
    /// "Control" + the first free counter from the number of controls + 1.
    std::string GetNewName() const;
    /// Removes the first direct record source with that name; nothing when none.
    void DelRSourceInDlg(const std::string& Name);
};

}  // namespace orvane
