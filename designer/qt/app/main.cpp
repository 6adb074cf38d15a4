// orvane-designer: the stand-alone editor window.
//   orvane-designer [FILE]                      opens FILE (XPD or XML) when given
//   orvane-designer --screenshots DIR FILE      writes the documentation's pictures
#include <QApplication>
#include <cstdio>

#include <orvanespt/designer/qt/OrvaneE.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/designer/qt/Screenshots.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/RuntimeServices.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orvane::designer::LoadSpanishTranslations();
    const QStringList args = QApplication::arguments();
    if (args.size() == 4 && args.at(1) == QStringLiteral("--screenshots")) {
        const int written = orvane::designer::RenderScreenshots(args.at(2), args.at(3));
        std::printf("%d pictures written to %s\n", written, qPrintable(args.at(2)));
        return written > 0 ? 0 : 1;
    }
    orvane::platform::SetApplicationTitle("Diseñador de reportes");
    // Run from the build tree, or installed away from the prefix it was built for.
    const QString help = orvane::designer::HelpFolderBeside(QCoreApplication::applicationDirPath());
    if (!help.isEmpty()) orvane::platform::RuntimeServices::Instance().SetHelpFolder(help.toStdString());
    orvane::designer::InstallQtSeams();
    orvane::designer::OrvaneE window;
    if (args.size() > 1) window.OpenFile(args.at(1));
    window.show();
    return app.exec();
}
