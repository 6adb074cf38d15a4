#include "designer/qt/QtSeams.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QUrl>

#include "designer/qt/FrmConnection.h"
#include "designer/qt/FrmParameter.h"
#include "platform/RuntimeServices.h"
#include "support/TestSupport.h"
#include "QtTestSupport.h"

namespace orvane::testing {
namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

struct BoxSeen {
    QString title, text;
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
        for (auto* b : box->buttons()) {
            seen.buttons << b->text();
            if (b->text() == press) b->click();
        }
    };
}

TEST(QtMessageSink, ShowsTheButtonSetsIconsAndDefaultTitle) {
    ScriptedRunner runner;
    designer::QtMessageSink sink;
    BoxSeen plain, info, critical, question, refused;
    runner.Then(Answer(plain, "OK"));
    runner.Then(Answer(info, "OK"));
    runner.Then(Answer(critical, "OK"));
    runner.Then(Answer(question, "&Sí"));
    runner.Then(Answer(refused, "&No"));
    EXPECT_EQ(sink.Show("Debe indicarse una cadena de conexión.", MsgButtons::Ok, MsgIcon::None, ""), MsgAnswer::Ok);
    EXPECT_EQ(sink.Show("Aviso", MsgButtons::Ok, MsgIcon::Information, "Propio"), MsgAnswer::Ok);
    EXPECT_EQ(sink.Show("No se encontró el archivo de ayuda", MsgButtons::Ok, MsgIcon::Critical, ""), MsgAnswer::Ok);
    EXPECT_EQ(sink.Show("¿Guardar?", MsgButtons::YesNo, MsgIcon::Question, ""), MsgAnswer::Yes);
    EXPECT_EQ(sink.Show("¿Guardar?", MsgButtons::YesNo, MsgIcon::Question, ""), MsgAnswer::No);

    EXPECT_EQ(plain.title.toStdString(), platform::ApplicationTitle());
    EXPECT_EQ(plain.text, "Debe indicarse una cadena de conexión.");
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    EXPECT_EQ(plain.buttons, QStringList{"OK"});
    EXPECT_EQ(info.title, "Propio");
    EXPECT_EQ(info.icon, QMessageBox::Information);
    EXPECT_EQ(critical.icon, QMessageBox::Critical);
    EXPECT_EQ(question.buttons.size(), 2);
    EXPECT_TRUE(question.buttons.contains("&Sí") && question.buttons.contains("&No"));
}

TEST(QtHelpViewer, OpensTheTopicPageOrTheIndex) {
    ScratchDir dir;
    WriteFile(dir.file("orvane.html"), "<p>indice</p>");
    WriteFile(dir.file("orvane-10036.html"), "<p>conexion</p>");
    std::vector<QString> opened;
    designer::QtHelpViewer viewer([&](const QUrl& url) {
        opened.push_back(url.toLocalFile());
        return true;
    });
    const QString index = QString::fromStdString(dir.file("orvane.html"));
    EXPECT_TRUE(viewer.Open(index.toStdString(), 10036));
    EXPECT_TRUE(viewer.Open(index.toStdString(), 0));
    EXPECT_TRUE(viewer.Open(index.toStdString(), 10099));  // no page of its own
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], QString::fromStdString(dir.file("orvane-10036.html")));
    EXPECT_EQ(opened[1], index);
    EXPECT_EQ(opened[2], index);
}

TEST(QtHelpViewer, HelpButtonsOpenTheirOwnTopics) {
    EnsureApplication();
    MessageRecorder messages;
    std::vector<QString> opened;
    auto previous = platform::SetHelpViewer(std::make_shared<designer::QtHelpViewer>([&](const QUrl& url) {
        opened.push_back(url.fileName());
        return true;
    }));
    const std::string previousFolder = platform::RuntimeServices::Instance().HelpFolder();
    platform::RuntimeServices::Instance().SetHelpFolder(ORVANE_SOURCE_DIR "/help");
    designer::frmParameter parameter;
    Click(parameter, "btnAyuda");
    designer::frmConnection connection;
    Click(connection, "BtnAyuda");
    platform::SetHelpViewer(previous);
    platform::RuntimeServices::Instance().SetHelpFolder(previousFolder);
    ASSERT_EQ(opened.size(), 2u) << (messages->Taken().empty() ? "" : messages->Taken()[0].text);
    EXPECT_EQ(opened[0], "orvane-10037.html");
    EXPECT_EQ(opened[1], "orvane-10036.html");
}

}  // namespace
}  // namespace orvane::testing
