#include <orvanespt/designer/qt/QtSeams.h>

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QSet>
#include <optional>

#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

struct BoxSeen {
    QString title, text, enter;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Reads the message box shown and presses the button with that caption.
Person Answer(BoxSeen& seen, const QString& press) {
    return [&seen, press](QDialog& d) {
        auto* box = qobject_cast<QMessageBox*>(&d);
        ASSERT_NE(box, nullptr);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        if (box->defaultButton()) seen.enter = box->defaultButton()->text();
        for (auto* b : box->buttons()) seen.buttons << b->text();
        for (auto* b : box->buttons())
            if (b->text() == press) b->click();
    };
}

TEST(QtMessageSink, ShowsTheButtonSetsInSpanishWithTheirEnterAnswerIconsAndTitle) {
    const struct {
        MsgButtons buttons;
        MsgIcon icon;
        std::string title;
        std::optional<MsgAnswer> enter;  // none: the sink's own choice
        QString press;
        MsgAnswer answer;
        QStringList captions;
        QString enterCaption;
        QMessageBox::Icon shownIcon;
    } cases[] = {
        {MsgButtons::Ok, MsgIcon::None, "", {}, "&Aceptar", MsgAnswer::Ok, {"&Aceptar"}, "&Aceptar", QMessageBox::NoIcon},
        {MsgButtons::Ok, MsgIcon::Critical, "Propio", {}, "&Aceptar", MsgAnswer::Ok, {"&Aceptar"}, "&Aceptar",
         QMessageBox::Critical},
        {MsgButtons::YesNo, MsgIcon::Question, "", {}, "&Sí", MsgAnswer::Yes, {"&Sí", "&No"}, "&Sí",
         QMessageBox::Question},
        {MsgButtons::YesNo, MsgIcon::Question, "", MsgAnswer::No, "&No", MsgAnswer::No, {"&Sí", "&No"}, "&No",
         QMessageBox::Question},
        {MsgButtons::SaveDiscardCancel, MsgIcon::Exclamation, "", {}, "&No guardar", MsgAnswer::Discard,
         {"&Guardar", "&No guardar", "&Cancelar"}, "&Guardar", QMessageBox::Warning},
        {MsgButtons::SaveDiscardCancel, MsgIcon::Exclamation, "", {}, "ninguno", MsgAnswer::Cancel,
         {"&Guardar", "&No guardar", "&Cancelar"}, "&Guardar", QMessageBox::Warning},
    };
    ScriptedRunner runner;
    platform::ScopedMessageSink sink(std::make_shared<designer::QtMessageSink>());
    for (const auto& c : cases) {
        BoxSeen seen;
        runner.Then(Answer(seen, c.press));
        EXPECT_EQ(platform::ShowMessage("Texto", c.buttons, c.icon, c.title, c.enter), c.answer) << c.press.toStdString();
        EXPECT_EQ(seen.title.toStdString(), c.title.empty() ? platform::ApplicationTitle() : c.title);
        EXPECT_EQ(seen.text, "Texto");
        EXPECT_EQ(seen.icon, c.shownIcon);
        EXPECT_EQ(QSet<QString>(seen.buttons.begin(), seen.buttons.end()),
                  QSet<QString>(c.captions.begin(), c.captions.end()));  // in the platform's order
        EXPECT_EQ(seen.enter, c.enterCaption);
    }
}

TEST(QtMessageSink, KeepsTheDetailsBehindTheirButtonAndShowsNoneWhenThereAreNone) {
    ScriptedRunner runner;
    platform::ScopedMessageSink sink(std::make_shared<designer::QtMessageSink>());
    for (const std::string details : {"Motivo: no such table", ""}) {
        QString shown = "-";
        runner.Then([&shown](QDialog& d) {
            auto* box = qobject_cast<QMessageBox*>(&d);
            ASSERT_NE(box, nullptr);
            shown = box->detailedText();
            EXPECT_EQ(box->text(), "Texto");
            box->reject();
        });
        EXPECT_EQ(platform::ShowMessageWithDetails("Texto", details), MsgAnswer::Ok);
        EXPECT_EQ(shown.toStdString(), details);
    }
}

}  // namespace
}  // namespace orvane::testing
