// Construction and item lookups of the definition classes below the root.
#include <orvanespt/model/Orvane.h>
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

std::shared_ptr<eRSource> eRSource::GeteRSource(const std::string& Name) const {
    return detail::FindByName(eRSources.get(), Name);
}

void eRSource::DelRSource(const std::string& Name) {
    if (int i = detail::PositionByName(eRSources.get(), Name)) eRSources->Remove(i);
}

eConnection::eConnection() : eRSources(std::make_shared<Collection<eRSource>>()) {}

std::shared_ptr<eRSource> eConnection::GeteRSource(const std::string& Name) const {
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

std::shared_ptr<eControl> eDialog::GetByControlName(const std::string& Name) const {
    return detail::FindByName(eControls.get(), Name, ControlNameOf);
}

std::shared_ptr<eControl> eDialog::GetControl(const std::string& Name) const {
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

std::shared_ptr<eControl> ePrnFormat::GetControl(const std::string& Name) const {
    return detail::FindByName(eControls.get(), Name);
}

std::shared_ptr<eControl> ePrnFormat::GetByControlName(const std::string& Name) const {
    return detail::FindByName(eControls.get(), Name, ControlNameOf);
}

std::string ePrnFormat::GetNewName() const {
    const long long first = (eControls ? eControls->Count() : 0) + 1;
    return detail::UniqueName("Control", first, [this](const std::string& n) { return GetControl(n) != nullptr; });
}

eControl::eControl() : Data(std::make_shared<Collection<eData>>()) {}

std::shared_ptr<eData> eControl::GetData(const std::string& Name) const { return detail::FindByName(Data.get(), Name); }

std::shared_ptr<eData> eControl::ExtData(const std::string& Name) {
    if (auto d = GetData(Name)) return d;
    auto d = std::make_shared<eData>();
    d->Name = Name;
    if (!Data) Data = std::make_shared<Collection<eData>>();
    Data->Add(d);
    return d;
}

std::shared_ptr<::orvane::ExtProperty> eControl::GetExtProperty(const std::string& Name) const {
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

}  // namespace orvane
