#include "designer/DesignerDialogs.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orvane::designer
