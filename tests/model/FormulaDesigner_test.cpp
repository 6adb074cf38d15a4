#include "model/FormulaDesigner.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "model/Orvane.h"

namespace orvane {
namespace {

// Removes any designer a test installed.
struct NoDesignerAfter {
    ~NoDesignerAfter() { SetFormulaDesigner(nullptr); }
};

// Without a designer the formula comes back and the format stays; with one,
// its answer is taken only when accepted.
TEST(ShowDesignerF, TakesTheDesignersAnswerOnlyWhenAccepted) {
    NoDesignerAfter cleanup;
    SetFormulaDesigner(nullptr);
    Orvane onStack;
    std::string format = "hh:mm:ss";
    EXPECT_EQ(onStack.ShowDesignerF("@Desde + 1", format), "@Desde + 1");
    EXPECT_EQ(format, "hh:mm:ss");

    auto report = std::make_shared<Orvane>();
    bool accept = true;
    Orvane* seen = nullptr;
    SetFormulaDesigner([&](const std::shared_ptr<Orvane>& r, std::string& text, std::string& fmt) {
        seen = r.get();
        text += " * 2";
        fmt = "#.00";
        return accept;
    });
    format = "Yes/No";
    EXPECT_EQ(report->ShowDesignerF("@Ventas.Total", format), "@Ventas.Total * 2");
    EXPECT_EQ(format, "#.00");
    EXPECT_EQ(seen, report.get());
    accept = false;
    EXPECT_EQ(report->ShowDesignerF("@Desde", format), "@Desde");
    EXPECT_EQ(format, "#.00");
    // A designer that raises counts as cancelled; a report on the stack still gets one.
    SetFormulaDesigner([](const std::shared_ptr<Orvane>& r, std::string& text, std::string&) -> bool {
        text = r ? "lost" : "";
        throw std::runtime_error("boom");
    });
    EXPECT_EQ(onStack.ShowDesignerF("@Desde", format), "@Desde");
    EXPECT_EQ(format, "#.00");
}

}  // namespace
}  // namespace orvane
