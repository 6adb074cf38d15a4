// The smallest host: builds a definition in memory, names its parts and
// checks the dirty flag. Exit status 0 when the library behaves.
#include <iostream>
#include <memory>

#include "model/Orvane.h"

int main() {
    auto report = std::make_shared<orvane::Orvane>();
    auto cnn = std::make_shared<orvane::eConnection>();
    cnn->Name = report->GetNewCnnName();
    if (!report->AddConnection(cnn) || report->GetConnection("ECONNECTION1") != cnn) return 1;
    if (report->IsDirty()) return 2;
    report->Name = "Ventas";
    if (!report->IsDirty()) return 3;
    std::cout << "host: " << report->eConections->Count() << " connection, " << cnn->Name << "\n";
    return 0;
}
