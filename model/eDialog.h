// eDialog: a parameter-entry dialog, with its controls and the record sources
// that feed its lists. The host renders it; the library only keeps it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>

namespace orvane {

class eDialog {
public:
    eDialog();

    std::string Name;
    std::string Title;
    std::string Load, Validate, OnOK, OnCancel, OncontrolEvent;  // event hooks for the host
    std::string Class;
    float Width = 0, Height = 0;
    std::int32_t BackColor = 0;
    std::shared_ptr<Collection<eControl>> eControls;
    std::shared_ptr<Collection<eRSource>> eRSources;

    // First control whose ControlName / Name matches (case-insensitive), or null.
    std::shared_ptr<eControl> GetByControlName(const std::string& Name) const;
    std::shared_ptr<eControl> GetControl(const std::string& Name) const;
    // "Control" + the first free counter from the number of controls + 1.
    std::string GetNewName() const;
    // Removes the first direct record source with that name; nothing when none.
    void DelRSourceInDlg(const std::string& Name);
};

}  // namespace orvane
