#include "designer/DesignerDialogs.h"

#include <gtest/gtest.h>

#include "designer/OrvaneUI.h"
#include "model/Orvane.h"

namespace orvane::designer {
namespace {

TEST(DesignerDialogs, WithoutInstalledDialogsEveryOperationCancels) {
    auto previous = SetDesignerDialogs(nullptr);
    auto dialogs = CurrentDesignerDialogs();
    auto report = std::make_shared<Orvane>();
    auto format = std::make_shared<ePrnFormat>();
    auto connection = std::make_shared<eConnection>();
    EXPECT_FALSE(dialogs->EditePrnFormat(format));
    EXPECT_FALSE(dialogs->EditeConnection(report, connection));
    EXPECT_EQ(dialogs->AddeConnection(report), nullptr);
    EXPECT_EQ(dialogs->AddeParameter(), nullptr);
    EXPECT_EQ(dialogs->AddeDialog(), nullptr);
    EXPECT_EQ(dialogs->AddPrnFormat(), nullptr);
    EXPECT_EQ(SetDesignerDialogs(previous), dialogs);
}

// Answers from fixed results and records what it was handed.
class FakeDialogs : public CancellingDialogs {
public:
    std::shared_ptr<Orvane> reportSeen;
    std::shared_ptr<eConnection> AddeConnection(const std::shared_ptr<Orvane>& report) override {
        reportSeen = report;
        auto c = std::make_shared<eConnection>();
        c->Name = "nueva";
        return c;
    }
    bool EditeParameter(const std::shared_ptr<eParameter>& ePr) override {
        ePr->Name = "editado";
        return true;
    }
};

TEST(DesignerDialogs, OrvaneUiOperationsGoThroughTheInstalledDialogs) {
    auto fake = std::make_shared<FakeDialogs>();
    auto previous = SetDesignerDialogs(fake);
    OrvaneUI ui;
    ui.objOrvane = std::make_shared<Orvane>();
    auto added = ui.AddeConnection();
    auto p = std::make_shared<eParameter>();
    const bool edited = ui.EditeParameter(p);
    const bool dialogEdited = ui.EditeDialog(std::make_shared<eDialog>());
    SetDesignerDialogs(previous);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name, "nueva");
    EXPECT_EQ(fake->reportSeen, ui.objOrvane);
    EXPECT_EQ(ui.objOrvane->eConections->Count(), 0);
    EXPECT_TRUE(edited);
    EXPECT_EQ(p->Name, "editado");
    EXPECT_FALSE(dialogEdited);
}

}  // namespace
}  // namespace orvane::designer
