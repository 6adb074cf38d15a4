// What a host installs: the help viewer and the formula designer.
#include <orvanespt/model/Help.h>

#include <gtest/gtest.h>

#include <stdexcept>

#include <orvanespt/model/FormulaDesigner.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/Help.h>
#include <orvanespt/platform/RuntimeServices.h>
#include "support/TestSupport.h"

namespace orvane {
namespace {

using platform::RuntimeServices;

class RecordingViewer : public platform::HelpViewer {
public:
    bool Open(const std::string& file, int contextId) override {
        calls.emplace_back(file, contextId);
        return true;
    }
    std::vector<std::pair<std::string, int>> calls;
};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = platform::SetHelpViewer(viewer_);
        RuntimeServices::Instance().SetHelpFolder(dir_.path().string());
    }
    void TearDown() override {
        platform::SetHelpViewer(previous_);
        SetFormulaDesigner(nullptr);
        RuntimeServices::Instance().SetHelpFolder("");
    }
    orvane::testing::ScratchDir dir_;
    std::shared_ptr<RecordingViewer> viewer_ = std::make_shared<RecordingViewer>();
    std::shared_ptr<platform::HelpViewer> previous_;
};

// Missing help shows the critical message; once there, it opens at the topic.
TEST_F(HelpTest, OpensTheHelpAtTheTopicOrSaysItIsMissingAndADesignerThatRaisesCancels) {
    orvane::testing::MessageRecorder messages;
    ShowHelp(nullptr, 1);
    EXPECT_TRUE(viewer_->calls.empty());
    auto taken = messages->Taken();
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].text, "No se encontró el archivo de ayuda");
    EXPECT_EQ(taken[0].icon, platform::MsgIcon::Critical);

    orvane::testing::WriteFile(dir_.path() / std::string(kHelpFileName), "<html></html>");
    ShowHelp(nullptr, 4200);
    const std::string expected = RuntimeServices::EndWithSeparator(dir_.path().string()) + std::string(kHelpFileName);
    ASSERT_EQ(viewer_->calls.size(), 1u);
    EXPECT_EQ(viewer_->calls[0], std::make_pair(expected, 4200));
    EXPECT_EQ(messages->Taken().size(), 1u);  // no message this time

    // Without a designer the formula comes back and the format stays. One that
    // raises counts as cancelled; a report on the stack still gets one.
    Orvane onStack;
    std::string format = "hh:mm:ss";
    EXPECT_EQ(onStack.ShowDesignerF("@Desde + 1", format), "@Desde + 1");
    EXPECT_EQ(format, "hh:mm:ss");
    bool gotReport = false;
    SetFormulaDesigner([&gotReport](const std::shared_ptr<Orvane>& r, std::string& text, std::string& fmt) -> bool {
        gotReport = r != nullptr;
        text = "lost";
        fmt = "lost";
        throw std::runtime_error("boom");
    });
    EXPECT_EQ(onStack.ShowDesignerF("@Desde", format), "@Desde");
    EXPECT_EQ(format, "hh:mm:ss");
    EXPECT_TRUE(gotReport);
}

}  // namespace
}  // namespace orvane
