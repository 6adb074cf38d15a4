// The Qt dialogs behind OrvaneUI's edit and add operations: each call creates
// a fresh dialog, prepares it, shows it through the modal runner and reads
// its accepted flag; add operations build the new item from the dialog's
// fields and leave adding it to the caller.
#pragma once

#include <orvanespt/designer/DesignerDialogs.h>

class QWidget;

namespace orvane::designer {

class QtDesignerDialogs : public DesignerDialogs {
public:
    // parent is the window the dialogs are centred on (may be null).
    explicit QtDesignerDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    bool EditeConnection(const std::shared_ptr<Orvane>& report, const std::shared_ptr<eConnection>& eC) override;
    bool EditeParameter(const std::shared_ptr<eParameter>& ePr) override;
    bool EditeDialog(const std::shared_ptr<eDialog>& eDl) override;
    bool EditePrnFormat(const std::shared_ptr<ePrnFormat>& ePrn) override;
    std::shared_ptr<eConnection> AddeConnection(const std::shared_ptr<Orvane>& report) override;
    std::shared_ptr<eParameter> AddeParameter() override;
    std::shared_ptr<eDialog> AddeDialog() override;
    std::shared_ptr<ePrnFormat> AddPrnFormat() override;
    bool EditeRSource(const OrvaneUI& ui, const std::shared_ptr<eRSource>& eRs) override;
    std::shared_ptr<eRSource> AddeRSource(const OrvaneUI& ui, const std::shared_ptr<eConnection>& eC,
                                          const std::string& noName) override;

private:
    QWidget* parent_;
};

}  // namespace orvane::designer
