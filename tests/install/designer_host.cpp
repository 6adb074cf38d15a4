// A Qt host: installs the designer's seams after creating its application,
// as the README says. Exit status 0 when the Qt message sink took the place
// of the standard-error one.
#include <QApplication>

#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/platform/Messages.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orvane::designer::InstallQtSeams();
    const auto installed = orvane::platform::SetMessageSink(nullptr);  // restores the standard-error sink
    const auto standard = orvane::platform::SetMessageSink(nullptr);
    return installed && installed != standard ? 0 : 1;
}
