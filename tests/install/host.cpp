// The smallest host: builds a definition in memory, names its parts, checks
// the dirty flag and writes the definition XML. Exit status 0 when the
// library behaves; otherwise the number of the first check that failed.
#include <iostream>
#include <memory>

#include <orvanespt/model/Orvane.h>

// The language level the host's build asked for, which the package may raise
// to C++20 but must never lower.
#ifdef ORVANE_HOST_MIN_CPLUSPLUS
static_assert(__cplusplus >= ORVANE_HOST_MIN_CPLUSPLUS, "the package changed the host's C++ level");
#endif

int main() {
    auto report = std::make_shared<orvane::Orvane>();
    if (report->IsDirty()) return 1;
    auto cnn = std::make_shared<orvane::eConnection>();
    cnn->Name = report->GetNewCnnName();
    if (!report->AddConnection(cnn) || report->GetConnection("ECONNECTION1") != cnn) return 2;
    if (!report->IsDirty()) return 3;
    report->SetHash();
    if (report->IsDirty()) return 4;
    if (report->ToXML().find("<eConnection Name=\"eConnection1\"") == std::string::npos) return 5;
    std::cout << "host: " << report->eConections->Count() << " connection, " << cnn->Name << "\n";
    return 0;
}
