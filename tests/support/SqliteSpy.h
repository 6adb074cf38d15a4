// A spy for the tests that link the library's internals (not the designer's,
// which link the shared library): SQLite behind a provider name of the
// test's.
#pragma once

#include <memory>
#include <string>

#include <orvanespt/data/ado/DataError.h>
#include <orvanespt/data/ado/detail/Provider.h>

namespace orvane::testing {

// SQLite behind a provider name of the test's, counting its opens and
// statements in calls and failing once the call numbered failAt (0: none),
// whose name ("abrir" or the statement) it keeps in failed.
struct SqliteSpy {
    static inline int calls = 0, failAt = 0;
    static inline std::string failed;
    // Registers the spy as name; returns what name had, to put back.
    static data::detail::ProviderFactory Register(const std::string& name);
};

namespace spy {

inline bool FaultDue(const std::string& what) {
    if (++SqliteSpy::calls != SqliteSpy::failAt) return false;
    SqliteSpy::failed = what;
    return true;
}

class SpyProvider : public data::detail::Provider {
public:
    explicit SpyProvider(std::unique_ptr<Provider> inner) : inner_(std::move(inner)) {}
    std::shared_ptr<data::detail::Table> Execute(const std::string& sql, data::detail::BoundValues params,
                                                 std::size_t rowLimit) override {
        if (FaultDue(sql)) throw data::DataError("fallo planeado");
        return inner_->Execute(sql, params, rowLimit);
    }
    std::string QuoteIdentifier(std::string_view n) const override { return inner_->QuoteIdentifier(n); }
    std::string ProcedureCall(std::string_view n, std::size_t c) const override { return inner_->ProcedureCall(n, c); }
    std::shared_ptr<data::detail::Table> Tables(std::size_t limit) override { return inner_->Tables(limit); }
    std::shared_ptr<data::detail::Table> Procedures(std::size_t limit) override { return inner_->Procedures(limit); }
    void HoldReads(bool on) override { inner_->HoldReads(on); }
    std::uint64_t ReadState() override { return inner_->ReadState(); }

private:
    std::unique_ptr<Provider> inner_;
};

}  // namespace spy

inline data::detail::ProviderFactory SqliteSpy::Register(const std::string& name) {
    return data::detail::RegisterProvider(
        name, [](const data::detail::ProviderRequest& r) -> std::unique_ptr<data::detail::Provider> {
            if (spy::FaultDue("abrir")) throw data::DataError("fallo planeado");
            return std::make_unique<spy::SpyProvider>(
                data::detail::OpenSqliteProvider(r.Find("Data Source")->value, r.commandTimeout));
        });
}

}  // namespace orvane::testing
