// Construction and item lookups of the definition classes below the root.
#include <utility>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/detail/Lookup.h>

namespace orvane {

std::string eRSource::ecnnName() const {
    if (auto c = eCnn.lock()) ecnnName_ = c->Name;
    return ecnnName_;
}

void eRSource::ecnnName(const std::string& value) {
    if (!eCnn.expired()) return;
    ecnnName_ = value;
}

std::shared_ptr<const eRSource> eRSource::GeteRSource(const std::string& Name) const {
    return detail::FindByName(eRSources.get(), Name);
}

void eRSource::DelRSource(const std::string& Name) {
    if (int i = detail::PositionByName(eRSources.get(), Name)) eRSources->Remove(i);
}

namespace {
// Appends rs to list and gives rs and the record sources under it that have
// no live connection the connection cnn; false when rs is null or list
// holds a direct item of its name.
bool AddWired(std::shared_ptr<Collection<eRSource>>& list, const std::shared_ptr<eRSource>& rs,
              const std::weak_ptr<eConnection>& cnn) {
    if (!rs || detail::FindByName(list.get(), rs->Name)) return false;
    if (!list) list = std::make_shared<Collection<eRSource>>();
    list->Add(rs);
    if (cnn.expired()) return true;
    if (rs->eCnn.expired()) rs->eCnn = cnn;
    WalkRSources(rs->eRSources.get(), [&cnn](const std::shared_ptr<eRSource>& child, int, bool) {
        if (child->eCnn.expired()) child->eCnn = cnn;
        return true;
    });
    return true;
}
}  // namespace

bool eRSource::AddRSource(const std::shared_ptr<eRSource>& child) {
    return child.get() != this && AddWired(eRSources, child, eCnn);
}

bool eConnection::AddRSource(const std::shared_ptr<eRSource>& rs) { return AddWired(eRSources, rs, weak_from_this()); }

eConnection::eConnection() : eRSources(std::make_shared<Collection<eRSource>>()) {}

std::shared_ptr<const eRSource> eConnection::GeteRSource(const std::string& Name) const {
    return detail::FindByName(eRSources.get(), Name);
}

void eConnection::DelRSource(const std::string& Name) {
    if (int i = detail::PositionByName(eRSources.get(), Name)) eRSources->Remove(i);
}

void eParameter::eType(const std::string& value) {
    const std::size_t bar = value.find('|');
    if (bar == std::string::npos) {
        eType_ = value;
        return;
    }
    eType_ = value.substr(0, bar);
    const std::size_t second = value.find('|', bar + 1);
    DTFormat = value.substr(bar + 1, second == std::string::npos ? std::string::npos : second - bar - 1);
}

namespace {
const std::string& ControlNameOf(const eControl& c) { return c.ControlName; }
}  // namespace

eDialog::eDialog()
    : eControls(std::make_shared<Collection<eControl>>()), eRSources(std::make_shared<Collection<eRSource>>()) {}

std::shared_ptr<const eControl> eDialog::GetByControlName(const std::string& Name) const {
    return detail::FindByName(eControls.get(), Name, ControlNameOf);
}

std::shared_ptr<const eControl> eDialog::GetControl(const std::string& Name) const {
    return detail::FindByName(eControls.get(), Name);
}

std::string eDialog::GetNewName() const {
    const long long first = (eControls ? eControls->Count() : 0) + 1;
    return detail::UniqueName("Control", first, [this](const std::string& n) { return GetControl(n) != nullptr; });
}

void eDialog::DelRSourceInDlg(const std::string& Name) {
    if (int i = detail::PositionByName(eRSources.get(), Name)) eRSources->Remove(i);
}

ePrnFormat::ePrnFormat()
    : ePropertiesCol(std::make_shared<Collection<HostObject>>()), eControls(std::make_shared<Collection<eControl>>()) {}

std::shared_ptr<const eControl> ePrnFormat::GetControl(const std::string& Name) const {
    return detail::FindByName(eControls.get(), Name);
}

std::shared_ptr<const eControl> ePrnFormat::GetByControlName(const std::string& Name) const {
    return detail::FindByName(eControls.get(), Name, ControlNameOf);
}

std::string ePrnFormat::GetNewName() const {
    const long long first = (eControls ? eControls->Count() : 0) + 1;
    return detail::UniqueName("Control", first, [this](const std::string& n) { return GetControl(n) != nullptr; });
}

eControl::eControl() : Data(std::make_shared<Collection<eData>>()) {}

std::shared_ptr<const eData> eControl::GetData(const std::string& Name) const { return detail::FindByName(Data.get(), Name); }

std::shared_ptr<eData> eControl::ExtData(const std::string& Name) {
    if (auto d = GetData(Name)) return d;
    auto d = std::make_shared<eData>();
    d->Name = Name;
    if (!Data) Data = std::make_shared<Collection<eData>>();
    Data->Add(d);
    return d;
}

std::shared_ptr<const ::orvane::ExtProperty> eControl::GetExtProperty(const std::string& Name) const {
    return detail::FindByName(ExtendedProperties.get(), Name);
}

std::shared_ptr<::orvane::ExtProperty> eControl::ExtProperty(const std::string& Name) {
    if (auto p = GetExtProperty(Name)) return p;
    auto p = std::make_shared<::orvane::ExtProperty>();
    p->Name = Name;
    if (!ExtendedProperties) ExtendedProperties = std::make_shared<Collection<::orvane::ExtProperty>>();
    ExtendedProperties->Add(p);
    return p;
}

// The mutable lookups: the const ones, on an object the caller may change.
std::shared_ptr<eRSource> eRSource::GeteRSource(const std::string& Name) {
    return std::const_pointer_cast<eRSource>(std::as_const(*this).GeteRSource(Name));
}

std::shared_ptr<eRSource> eConnection::GeteRSource(const std::string& Name) {
    return std::const_pointer_cast<eRSource>(std::as_const(*this).GeteRSource(Name));
}

std::shared_ptr<eControl> eDialog::GetByControlName(const std::string& Name) {
    return std::const_pointer_cast<eControl>(std::as_const(*this).GetByControlName(Name));
}

std::shared_ptr<eControl> eDialog::GetControl(const std::string& Name) {
    return std::const_pointer_cast<eControl>(std::as_const(*this).GetControl(Name));
}

std::shared_ptr<eControl> ePrnFormat::GetControl(const std::string& Name) {
    return std::const_pointer_cast<eControl>(std::as_const(*this).GetControl(Name));
}

std::shared_ptr<eControl> ePrnFormat::GetByControlName(const std::string& Name) {
    return std::const_pointer_cast<eControl>(std::as_const(*this).GetByControlName(Name));
}

std::shared_ptr<eData> eControl::GetData(const std::string& Name) {
    return std::const_pointer_cast<eData>(std::as_const(*this).GetData(Name));
}

std::shared_ptr<::orvane::ExtProperty> eControl::GetExtProperty(const std::string& Name) {
    return std::const_pointer_cast<::orvane::ExtProperty>(std::as_const(*this).GetExtProperty(Name));
}

}  // namespace orvane
