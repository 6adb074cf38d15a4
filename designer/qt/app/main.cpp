// orvane-designer: the stand-alone editor window. Usage: orvane-designer [FILE]
#include <QApplication>

#include "designer/qt/OrvaneE.h"
#include "designer/qt/QtSeams.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orvane::designer::InstallQtSeams();
    orvane::designer::OrvaneE window;
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) window.OpenFile(args.at(1));
    window.show();
    return app.exec();
}
