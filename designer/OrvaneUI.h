// OrvaneUI: shows a report definition as a tree of keyed nodes in a host's
// tree control, in a fixed order under fixed keys, so the host can find an
// item's node again by key and tell from a key what kind of item a node is:
//
//   "@Ov" + report name          report root
//   "@Connections", "@Parameters", "@Dialogs", "@PrnFormats", "@ResDataCol",
//   "@ScriptCode"                the six groups under the root
//   "Cnn_", "Rst_", "Prm_", "Dlg_", "Fmt_", "Pic_", "Txt_" + item name
//   "cnnString" / "Internal" + 1-based connection position (detailed tree)
//
// The display settings are images of the host's image list and the choice
// between the plain tree and the detailed one. Image values go to the tree
// control as they are, 0 included: what an index shows, or whether it is
// refused, is the control's business (the text tree accepts any and shows none).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/designer/TreeControl.h>
#include <orvanespt/model/Forward.h>
#include <orvanespt/platform/Collection.h>

namespace orvane {

class OrvaneUI {
public:
    std::shared_ptr<Orvane> objOrvane;  // the definition the editing operations work on; ShowInTvw ignores it
    std::int16_t IconeResDataCol = 0;
    std::int16_t IconePicResData = 0;
    std::int16_t IconeTxtResData = 0;
    std::int16_t IconOrvane = 0;
    std::int16_t IconeConnections = 0;
    std::int16_t IconeConnection = 0;
    std::int16_t IconeParameters = 0;
    std::int16_t IconeParameter = 0;
    std::int16_t IconeDialogs = 0;
    std::int16_t IconeDialog = 0;
    std::int16_t IconePrnFormats = 0;
    std::int16_t IconePrnFormat = 0;
    std::int16_t IconeRSources = 0;  // kept for the host; not used by the tree
    std::int16_t IconeRSource = 0;
    std::int16_t IconeControls = 0;  // kept for the host; not used by the tree
    std::int16_t IconeControl = 0;   // kept for the host; not used by the tree
    std::int16_t IconSctriptCode = 0;
    std::int16_t appearance = 0;  // 2: detailed tree, listing the items' main properties

    // Adds the nodes of eRp to tvw, under Root when given, else at top level.
    // The tree is not cleared first. Returns true; when the tree control
    // rejects a node (a key already in the tree, an image it lacks) its
    // TreeError ends the call and reaches the caller, and the nodes added
    // before stay in the tree.
    bool ShowInTvw(const Orvane& eRp, designer::TreeControl& tvw,
                   const std::shared_ptr<designer::TreeNode>& Root = nullptr) const;

    // Edit and add operations (designer/OrvaneUIEdit.cpp). Each opens its
    // dialog through the installed DesignerDialogs and returns when it has
    // closed. An edit returns whether the user accepted (the dialog wrote the
    // item); an add returns the new item, not added to the definition. With
    // no dialogs installed, or on cancel: false, or null, and nothing changes.
    bool EditeConnection(const std::shared_ptr<eConnection>& eC) const;
    std::shared_ptr<eConnection> AddeConnection() const;
    bool EditeDialog(const std::shared_ptr<eDialog>& eDl) const;
    std::shared_ptr<eDialog> AddeDialog() const;
    bool EditeParameter(const std::shared_ptr<eParameter>& ePr) const;
    std::shared_ptr<eParameter> AddeParameter() const;
    bool EditePrnFormat(const std::shared_ptr<ePrnFormat>& ePrn) const;
    std::shared_ptr<ePrnFormat> AddPrnFormat() const;

    // The record source editor. EditeRSource returns whether the user
    // accepted (the editor wrote eRs). AddeRSource opens it for a new record
    // source of eC (NoName: a name the proposed default must not equal) and,
    // when accepted, appends it to Col and returns it. Null, Col unchanged,
    // on cancel, without a collection, or when the name is already used by a
    // record source anywhere in objOrvane (connections or dialogs, ignoring
    // case), after the message "El nombre no es válido porque ya existe en
    // el proyecto".
    bool EditeRSource(const std::shared_ptr<eRSource>& eRs) const;
    std::shared_ptr<eRSource> AddeRSource(const std::shared_ptr<eConnection>& eC,
                                          const std::shared_ptr<Collection<eRSource>>& Col,
                                          const std::string& NoName = "") const;
};

}  // namespace orvane
