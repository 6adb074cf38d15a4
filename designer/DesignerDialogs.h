// The seam between OrvaneUI's edit and add operations and the dialogs that
// carry them out. The component itself draws no windows: a desktop host (the
// Qt designer library) installs an implementation, and until one is installed
// every operation answers as a cancelled dialog would (false, or null), so a
// headless host never blocks and nothing in a definition changes.
#pragma once

#include <memory>
#include <string>

#include <orvanespt/model/Forward.h>

namespace orvane {
class OrvaneUI;
}

namespace orvane::designer {

class DesignerDialogs {
public:
    virtual ~DesignerDialogs() = default;
    // Each edit operation shows its dialog for the item and returns whether
    // the user accepted; the dialog writes the item itself, only on accept.
    // report is the definition the item belongs to (may be null).
    virtual bool EditeConnection(const std::shared_ptr<Orvane>& report, const std::shared_ptr<eConnection>& eC) = 0;
    virtual bool EditeParameter(const std::shared_ptr<eParameter>& ePr) = 0;
    virtual bool EditeDialog(const std::shared_ptr<eDialog>& eDl) = 0;
    virtual bool EditePrnFormat(const std::shared_ptr<ePrnFormat>& ePrn) = 0;
    // Each add operation returns the new item built from the accepted
    // dialog, not added to any definition; null when cancelled.
    virtual std::shared_ptr<eConnection> AddeConnection(const std::shared_ptr<Orvane>& report) = 0;
    virtual std::shared_ptr<eParameter> AddeParameter() = 0;
    virtual std::shared_ptr<eDialog> AddeDialog() = 0;
    virtual std::shared_ptr<ePrnFormat> AddPrnFormat() = 0;
    // The record source editor. ui is the designer object the editor calls
    // back into (connection, parameters, child record sources). Edit returns
    // whether the user accepted; add returns the record source the accepted
    // editor built for eC (noName: a name its default name must avoid), not
    // added anywhere and not checked against the definition; null on cancel.
    virtual bool EditeRSource(const OrvaneUI& ui, const std::shared_ptr<eRSource>& eRs) = 0;
    virtual std::shared_ptr<eRSource> AddeRSource(const OrvaneUI& ui, const std::shared_ptr<eConnection>& eC,
                                                  const std::string& noName) = 0;
};

// Answers every operation as a cancelled dialog: false or null.
class CancellingDialogs : public DesignerDialogs {
public:
    bool EditeConnection(const std::shared_ptr<Orvane>&, const std::shared_ptr<eConnection>&) override { return false; }
    bool EditeParameter(const std::shared_ptr<eParameter>&) override { return false; }
    bool EditeDialog(const std::shared_ptr<eDialog>&) override { return false; }
    bool EditePrnFormat(const std::shared_ptr<ePrnFormat>&) override { return false; }
    std::shared_ptr<eConnection> AddeConnection(const std::shared_ptr<Orvane>&) override { return nullptr; }
    std::shared_ptr<eParameter> AddeParameter() override { return nullptr; }
    std::shared_ptr<eDialog> AddeDialog() override { return nullptr; }
    std::shared_ptr<ePrnFormat> AddPrnFormat() override { return nullptr; }
    bool EditeRSource(const OrvaneUI&, const std::shared_ptr<eRSource>&) override { return false; }
    std::shared_ptr<eRSource> AddeRSource(const OrvaneUI&, const std::shared_ptr<eConnection>&,
                                          const std::string&) override {
        return nullptr;
    }
};

// The installed dialogs (the cancelling ones until a host installs others).
std::shared_ptr<DesignerDialogs> CurrentDesignerDialogs();
// Installs the dialogs used from now on (null restores the cancelling ones);
// returns the ones that were installed.
std::shared_ptr<DesignerDialogs> SetDesignerDialogs(std::shared_ptr<DesignerDialogs> dialogs);

}  // namespace orvane::designer
