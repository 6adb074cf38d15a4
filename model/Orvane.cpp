// The root's lookups, name generators and dirty check.
#include <orvanespt/model/Orvane.h>

#include <utility>

#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/detail/Lookup.h>
#include <orvanespt/platform/Text.h>

namespace orvane {

Orvane::Orvane()
    : eConections(std::make_shared<Collection<eConnection>>()),
      eParameters(std::make_shared<Collection<eParameter>>()),
      eDialogs(std::make_shared<Collection<eDialog>>()),
      ePrnFormats(std::make_shared<Collection<ePrnFormat>>()),
      ResDataCollection(std::make_shared<Collection<eResData>>()),
      // Built by aliasing a control block of its own rather than from `this`,
      // so that it does not become the object's weak_from_this().
      anchor_(std::shared_ptr<void>(static_cast<void*>(nullptr), [](void*) {}), this) {
    SetHash();
}

std::weak_ptr<Orvane> Orvane::ParentLink() {
    std::weak_ptr<Orvane> owned = weak_from_this();
    return owned.expired() ? std::weak_ptr<Orvane>(anchor_) : owned;
}

std::shared_ptr<const eConnection> Orvane::GetConnection(const std::string& Name) const {
    return detail::FindByName(eConections.get(), Name);
}

std::shared_ptr<const eConnection> Orvane::GetECnnByName(const std::string& Nm) const { return GetConnection(Nm); }

namespace {
const std::shared_ptr<eParameter>* ParameterNamed(const Collection<eParameter>* parameters, const std::string& Name) {
    if (!parameters) return nullptr;
    const std::string_view wanted = text::TrimBlanks(Name);
    // Names are nearly always asked as they are stored: an equal name is
    // taken without trimming or folding.
    for (const auto& p : *parameters)
        if (p && (p->Name == Name || text::EqualsIgnoreCase(text::TrimBlanks(p->Name), wanted))) return &p;
    return nullptr;
}
}  // namespace

std::shared_ptr<const eParameter> Orvane::GetParameter(const std::string& Name) const {
    const auto* found = ParameterNamed(eParameters.get(), Name);
    return found ? *found : nullptr;
}

const eParameter* Orvane::FindParameter(const std::string& Name) const {
    const auto* found = ParameterNamed(eParameters.get(), Name);
    return found ? found->get() : nullptr;
}

std::shared_ptr<const eDialog> Orvane::GetDialog(const std::string& Name) const {
    return detail::FindByName(eDialogs.get(), Name);
}

std::shared_ptr<const ePrnFormat> Orvane::GetFormat(const std::string& Name) const {
    return detail::FindByName(ePrnFormats.get(), Name);
}

std::shared_ptr<const eResData> Orvane::GetResdata(const std::string& Name) const {
    return detail::FindByName(ResDataCollection.get(), Name);
}

std::shared_ptr<eRSource> Orvane::GetRSourceInCol(const Collection<eRSource>* Col, const std::string& Name) const {
    const std::string wanted = text::Lower(Name);
    std::shared_ptr<eRSource> found;
    WalkRSources(Col, [&](const std::shared_ptr<eRSource>& rs, int, bool) {
        if (text::Lower(rs->Name) == wanted) found = rs;
        return !found;
    });
    return found;
}

std::shared_ptr<const eRSource> Orvane::GetRSource(const std::string& Name) const {
    if (!eConections) return nullptr;
    for (const auto& c : *eConections)
        if (c)
            if (auto rs = GetRSourceInCol(c->eRSources.get(), Name)) return rs;
    return nullptr;
}

std::shared_ptr<const eRSource> Orvane::GetRSourceInDlg(const std::string& Name) const {
    if (!eDialogs) return nullptr;
    for (const auto& d : *eDialogs)
        if (d)
            if (auto rs = GetRSourceInCol(d->eRSources.get(), Name)) return rs;
    return nullptr;
}

bool Orvane::AddConnection(const std::shared_ptr<eConnection>& c) {
    if (!c || GetConnection(c->Name)) return false;
    if (!eConections) eConections = std::make_shared<Collection<eConnection>>();
    eConections->Add(c);
    c->RPTParent = ParentLink();
    return true;
}

std::shared_ptr<eResData> Orvane::NewResData(const std::string& Name) {
    if (GetResdata(Name)) return nullptr;
    auto r = std::make_shared<eResData>();
    r->Name = Name;
    if (!ResDataCollection) ResDataCollection = std::make_shared<Collection<eResData>>();
    ResDataCollection->Add(r);
    return r;
}

namespace {
template <typename T>
long long CountOf(const std::shared_ptr<Collection<T>>& c) {
    return c ? c->Count() : 0;
}
}  // namespace

std::string Orvane::UniqueDialogName() const {
    return detail::UniqueName("eDialog", CountOf(eDialogs) + 1,
                              [this](const std::string& n) { return GetDialog(n) != nullptr; });
}

std::string Orvane::UniqueResDataName() const {
    return detail::UniqueName("eResData", CountOf(ResDataCollection) + 1,
                              [this](const std::string& n) { return GetResdata(n) != nullptr; });
}

std::string Orvane::UniqueFormatName() const {
    return detail::UniqueName("eFormat", CountOf(ePrnFormats) + 1,
                              [this](const std::string& n) { return GetFormat(n) != nullptr; });
}

std::string Orvane::GetNewCnnName() const {
    return detail::UniqueName(
        "eConnection", 1, [this](const std::string& n) { return GetConnection(n) != nullptr; }, true);
}

std::string Orvane::GetNewRSName() const {
    return detail::UniqueName(
        "eRSource", 1,
        [this](const std::string& n) { return GetRSource(n) != nullptr || GetRSourceInDlg(n) != nullptr; }, true);
}

void Orvane::SetHash() { InitialSign = GetHashSign(); }

bool Orvane::IsDirty() const {
    try {
        return GetHashSign() != InitialSign;
    } catch (...) {
        return false;
    }
}

// The mutable lookups: the const ones, on an object the caller may change.
eParameter* Orvane::FindParameter(const std::string& Name) {
    return const_cast<eParameter*>(std::as_const(*this).FindParameter(Name));
}

std::shared_ptr<eConnection> Orvane::GetConnection(const std::string& Name) {
    return std::const_pointer_cast<eConnection>(std::as_const(*this).GetConnection(Name));
}

std::shared_ptr<eConnection> Orvane::GetECnnByName(const std::string& Nm) {
    return std::const_pointer_cast<eConnection>(std::as_const(*this).GetECnnByName(Nm));
}

std::shared_ptr<eParameter> Orvane::GetParameter(const std::string& Name) {
    return std::const_pointer_cast<eParameter>(std::as_const(*this).GetParameter(Name));
}

std::shared_ptr<eDialog> Orvane::GetDialog(const std::string& Name) {
    return std::const_pointer_cast<eDialog>(std::as_const(*this).GetDialog(Name));
}

std::shared_ptr<ePrnFormat> Orvane::GetFormat(const std::string& Name) {
    return std::const_pointer_cast<ePrnFormat>(std::as_const(*this).GetFormat(Name));
}

std::shared_ptr<eResData> Orvane::GetResdata(const std::string& Name) {
    return std::const_pointer_cast<eResData>(std::as_const(*this).GetResdata(Name));
}

std::shared_ptr<eRSource> Orvane::GetRSource(const std::string& Name) {
    return std::const_pointer_cast<eRSource>(std::as_const(*this).GetRSource(Name));
}

std::shared_ptr<eRSource> Orvane::GetRSourceInDlg(const std::string& Name) {
    return std::const_pointer_cast<eRSource>(std::as_const(*this).GetRSourceInDlg(Name));
}

}  // namespace orvane
