// The definition XML's reader: Orvane::ReadXML reads it from expat's events,
// lenient about names and tolerant of missing attributes where the format
// allows it, into a definition built aside that replaces the old one only
// when the whole text was read.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/model/GridLink.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/XmlText.h>
#include <orvanespt/model/detail/ReadText.h>
#include <orvanespt/model/detail/Texts.h>
#include <orvanespt/model/detail/XmlLookup.h>
#include <orvanespt/model/detail/XmlParse.h>
#include <orvanespt/platform/HexText.h>
#include <orvanespt/platform/Messages.h>
#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Secrets.h>
#include <orvanespt/platform/Text.h>

namespace orvane {

namespace msg = model::msg;
using namespace detail;  // the XML parsing and lookup helpers

namespace {

// The parser has refused texts nested too deep, so every level read is walked.
constexpr int kWholeTree = std::numeric_limits<int>::max();

// An attribute that must be there: its absence aborts the rest of a list.
struct MissingAttribute {};

using Attrs = XmlAttributes;

std::optional<std::string_view> Raw(const Attrs& a, std::string_view name) { return a.Find(name); }

std::optional<std::string> Decoded(const Attrs& a, std::string_view name) {
    auto raw = a.Find(name);
    if (!raw) return std::nullopt;
    return DecodeXMLText(*raw);
}

std::string Required(const Attrs& a, std::string_view name) {
    auto v = Decoded(a, name);
    if (!v) throw MissingAttribute{};
    return std::move(*v);
}

// Assigns the decoded attribute when it is there.
void Assign(std::string& target, const Attrs& a, std::string_view name) {
    if (auto v = Decoded(a, name)) target = std::move(*v);
}

// A measure as the model keeps it. A number no float holds (past about
// 3.4e38) reads as 0, like a text that is no number: kept as infinity it
// would be written "Infinity", which reads back as 0.
float AsMeasure(double v) {
    return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max() ? static_cast<float>(v) : 0.0f;
}

// Assigns StrToNum of the attribute text when it is there.
void AssignNum(float& target, std::optional<std::string_view> text) {
    if (text) target = AsMeasure(StrToNum(*text));
}

// Reads into r_, a definition built aside, straight from the parser's
// events: a stack says what each open element is to the reader, and no
// document is built. The connections already point to parent, the definition
// they will belong to. Of the lists that the root, a dialog or a control
// holds once, the first is read and any later one skipped.
class XmlReader final : public XmlEvents {
public:
    XmlReader(Orvane& r, std::weak_ptr<Orvane> parent) : r_(r), parent_(std::move(parent)) { wantsText = false; }

    void Start(const char* name, const char* const* atts) override;
    void End() override;
    void Text(std::string_view text, bool) override { gathered_ += text; }

    // Once the whole text was read: each dialog's record sources take their
    // connection, which any connection of the text may be.
    void Finish();

    std::string rootName;  // the document element's tag
    bool readRoot = false;  // the document element is the definition's

private:
    enum class Kind : std::uint8_t {
        Skip,  // not read, nor anything inside it (but for gathered text)
        Root,
        Connections,
        Connection,
        RSources,
        RSource,
        Parameters,
        Dialogs,
        Dialog,
        Controls,
        Control,
        DataList,
        DataBlock,
        Code,
        PrnFormats,
        PrnFormat,
    };
    struct Frame {
        Kind kind = Kind::Skip;
        bool done = false;  // a list ended by a missing attribute, or a dialog's or control's one list read
        bool dialogTop = false;  // a dialog's own list of record sources
        std::shared_ptr<eConnection> cnn;  // a connection, or the one a record source list belongs to
        std::shared_ptr<eRSource> rs;
        std::shared_ptr<eDialog> dialog;
        std::shared_ptr<eControl> control;
        std::shared_ptr<ePrnFormat> format;
        Collection<eRSource>* rsInto = nullptr;
        Collection<eControl>* controlsInto = nullptr;
        std::string dataName;
    };
    // A top-level record source of a dialog and the connection it names.
    struct DialogTop {
        std::shared_ptr<eRSource> rs;
        std::optional<std::string> cnnName;
    };

    Frame& Push(Kind kind) {
        if (depth_ == frames_.size()) frames_.emplace_back();
        Frame& f = frames_[depth_++];
        f = Frame();
        f.kind = kind;
        return f;
    }
    void Gather() {
        gathered_.clear();
        wantsText = true;
    }
    std::string TakeGathered() {
        wantsText = false;
        std::string text = DecodeXMLText(text::TrimWhite(gathered_));
        gathered_.clear();
        return text;
    }
    void RootChild(const char* name);
    void RootAttributes(const Attrs& a);
    void Connection(Frame& list, const Attrs& a);
    void RSource(Frame& list, const Attrs& a);
    void Parameter(Frame& list, const Attrs& a);
    void Dialog(const Attrs& a);
    void Control(Frame& list, const Attrs& a);
    void DataBlock(Frame& list, const Attrs& a);
    void PrnFormat(const Attrs& a);

    Orvane& r_;
    std::weak_ptr<Orvane> parent_;
    // Slots reused as the depth goes up and down; a deque, so that a frame
    // stays where it is while deeper ones are added.
    std::deque<Frame> frames_;
    std::size_t depth_ = 0;
    bool seen_[5] = {};  // the root's lists read: connections, parameters, dialogs, formats, code
    std::vector<std::vector<DialogTop>> dialogTops_;  // per dialog, in order
    std::string gathered_;  // the text of the data block or code being read
};

void XmlReader::Start(const char* name, const char* const* atts) {
    if (depth_ == 0) {
        rootName = name;
        readRoot = XmlNameEquals(name, "Orvane");
        if (!readRoot) return void(Push(Kind::Skip));
        Push(Kind::Root);
        RootAttributes(Attrs(atts));
        r_.eConections = std::make_shared<Collection<eConnection>>();
        r_.eParameters = std::make_shared<Collection<eParameter>>();
        r_.eDialogs = std::make_shared<Collection<eDialog>>();
        r_.ePrnFormats = std::make_shared<Collection<ePrnFormat>>();
        // A text without eCode holds no code: the definition follows the text.
        r_.Code.clear();
        return;
    }
    Frame& parent = frames_[depth_ - 1];
    switch (parent.kind) {
        case Kind::Root:
            return RootChild(name);
        case Kind::Connections:
            if (!parent.done) return Connection(parent, Attrs(atts));
            break;
        case Kind::Connection:
        case Kind::RSource:
        case Kind::Dialog:
            if (std::strcmp(name, "eRSources") == 0) {
                Frame& list = Push(Kind::RSources);
                Frame& owner = frames_[depth_ - 2];
                list.cnn = owner.cnn;
                list.dialogTop = owner.kind == Kind::Dialog;
                list.rsInto = owner.kind == Kind::Connection ? owner.cnn->eRSources.get()
                              : owner.kind == Kind::RSource  ? owner.rs->eRSources.get()
                                                             : owner.dialog->eRSources.get();
                return;
            }
            if (parent.kind == Kind::Dialog && !parent.done && XmlNameEquals(name, "eControls")) {
                parent.done = true;
                Push(Kind::Controls).controlsInto = parent.dialog->eControls.get();
                return;
            }
            break;
        case Kind::RSources:
            if (std::strcmp(name, "eRSource") == 0) return RSource(parent, Attrs(atts));
            break;
        case Kind::Parameters:
            if (!parent.done) Parameter(parent, Attrs(atts));
            break;
        case Kind::Dialogs:
            if (std::strcmp(name, "eDialog") == 0) return Dialog(Attrs(atts));
            break;
        case Kind::Controls:
            return Control(parent, Attrs(atts));
        case Kind::Control:
            if (!parent.done && XmlNameEquals(name, "eData")) {
                parent.done = true;
                Push(Kind::DataList).control = parent.control;
                return;
            }
            break;
        case Kind::DataList:
            if (!parent.done) return DataBlock(parent, Attrs(atts));
            break;
        case Kind::PrnFormats:
            return PrnFormat(Attrs(atts));
        case Kind::PrnFormat:
            if (std::strcmp(name, "eControls") == 0) {
                Push(Kind::Controls).controlsInto = parent.format->eControls.get();
                return;
            }
            break;
        default:
            break;
    }
    Push(Kind::Skip);
}

void XmlReader::RootChild(const char* name) {
    static constexpr std::pair<std::string_view, Kind> kLists[] = {{"eConnections", Kind::Connections},
                                                                   {"eParameters", Kind::Parameters},
                                                                   {"eDialogs", Kind::Dialogs},
                                                                   {"ePrnFormats", Kind::PrnFormats},
                                                                   {"eCode", Kind::Code}};
    for (std::size_t i = 0; i < std::size(kLists); ++i) {
        if (seen_[i] || !XmlNameEquals(name, kLists[i].first)) continue;
        seen_[i] = true;
        Push(kLists[i].second);
        if (kLists[i].second == Kind::Code) Gather();
        return;
    }
    Push(Kind::Skip);
}

void XmlReader::End() {
    Frame& f = frames_[--depth_];
    switch (f.kind) {
        case Kind::Connection:
            f.cnn->RPTParent = parent_;
            r_.eConections->Add(std::move(f.cnn));
            break;
        case Kind::Dialog:
            r_.eDialogs->Add(std::move(f.dialog));
            break;
        case Kind::PrnFormat:
            r_.ePrnFormats->Add(std::move(f.format));
            break;
        case Kind::Control:
            try {
                LinkPrintGrid(*f.control);
            } catch (...) {
                // A failure in the grid link skips only that step.
            }
            f.controlsInto->Add(std::move(f.control));
            break;
        case Kind::DataBlock: {
            auto d = std::make_shared<eData>();
            d->Name = std::move(f.dataName);
            d->DatB64 = TakeGathered();
            f.control->Data->Add(std::move(d));
            break;
        }
        case Kind::Code:
            r_.Code = TakeGathered();
            break;
        default:
            break;
    }
}

// The root's own attributes are taken as the parser returns them.
void XmlReader::RootAttributes(const Attrs& a) {
    auto take = [&](std::string& target, std::string_view name) {
        if (auto v = Raw(a, name)) target = *v;
    };
    take(r_.initialDialog, "initialDialog");
    take(r_.initialPrnFormat, "initialPrnFormat");
    take(r_.Lang, "Lang");
    if (auto v = Raw(a, "Version")) {
        if (auto n = platform::LeadingNumber(*v)) r_.Version = *n;
    }
    take(r_.Name, "Name");
    take(r_.Info, "Info");
}

// A connection with a missing attribute ends the list: it and every later
// one are left out.
void XmlReader::Connection(Frame& list, const Attrs& a) {
    auto c = std::make_shared<eConnection>();
    try {
        c->Name = Required(a, "Name");
        c->cnnString = Required(a, "cnnString");
        c->Internal = StrToBool(Required(a, "Internal"));
    } catch (const MissingAttribute&) {
        list.done = true;
        return void(Push(Kind::Skip));
    }
    Push(Kind::Connection).cnn = std::move(c);
}

void ReadRSourceAttributes(const Attrs& a, eRSource& rs) {
    Assign(rs.Name, a, "Name");
    Assign(rs.CursorLocation, a, "CursorLocation");
    Assign(rs.CursorType, a, "CursorType");
    Assign(rs.eFieldNametoParameters, a, "eFieldNametoParameters");
    Assign(rs.idParameterLinked, a, "idParameterLinked");
    Assign(rs.LockType, a, "LockType");
    Assign(rs.SQLCommand, a, "SQLCommand");
    Assign(rs.TypeofCommand, a, "TypeofCommand");
    Assign(rs.SendParameters, a, "SendParameters");
    Assign(rs.Filter, a, "Filter");
    Assign(rs.Order, a, "Order");
}

// A record source is appended to its list as it starts, so each list keeps
// document order. The driver has refused texts nested deeper than
// kMaxRecordSourceDepth.
void XmlReader::RSource(Frame& list, const Attrs& a) {
    auto rs = std::make_shared<eRSource>();
    if (list.cnn) {
        rs->ecnnName(list.cnn->Name);
        rs->eCnn = list.cnn;
    }
    ReadRSourceAttributes(a, *rs);
    list.rsInto->Add(rs);
    if (list.dialogTop) dialogTops_.back().push_back({rs, Decoded(a, "ecnnName")});
    Frame& f = Push(Kind::RSource);
    f.cnn = list.cnn;
    f.rs = std::move(rs);
}

// For a dialog the first record source whose ecnnName names an existing
// connection fixes the connection for itself, every later one and all
// their descendants.
void XmlReader::Finish() {
    for (const auto& tops : dialogTops_) {
        std::shared_ptr<eConnection> cnn;
        for (const DialogTop& top : tops) {
            if (!cnn && top.cnnName) cnn = r_.GetECnnByName(*top.cnnName);
            if (!cnn) continue;
            const auto take = [&](const std::shared_ptr<eRSource>& rs) {
                rs->ecnnName(cnn->Name);
                rs->eCnn = cnn;
                return true;
            };
            take(top.rs);
            WalkRSources(
                top.rs->eRSources.get(), [&](const std::shared_ptr<eRSource>& rs, int, bool) { return take(rs); },
                [](const eRSource&, int) {}, kWholeTree);
        }
    }
}

// A parameter with a missing attribute ends the list.
void XmlReader::Parameter(Frame& list, const Attrs& a) {
    try {
        auto p = std::make_shared<eParameter>();
        p->Name = Required(a, "Name");
        p->Predef = Required(a, "Predef");
        p->eType(Required(a, "eType"));
        r_.eParameters->Add(std::move(p));
    } catch (const MissingAttribute&) {
        list.done = true;
    }
}

void XmlReader::Dialog(const Attrs& a) {
    auto d = std::make_shared<eDialog>();
    Assign(d->Name, a, "Name");
    Assign(d->Title, a, "Title");
    if (auto v = Decoded(a, "BackColor")) {
        if (auto i = platform::ParseLocaleInt32(*v)) d->BackColor = *i;
    }
    Assign(d->Class, a, "Class");
    AssignNum(d->Height, Raw(a, "Height"));
    AssignNum(d->Width, Raw(a, "Width"));
    Assign(d->Load, a, "Load");
    Assign(d->OnCancel, a, "OnCancel");
    Assign(d->OncontrolEvent, a, "OncontrolEvent");
    Assign(d->OnOK, a, "OnOK");
    Assign(d->Validate, a, "Validate");
    dialogTops_.emplace_back();
    Push(Kind::Dialog).dialog = std::move(d);
}

template <typename Enum>
void AssignInt32(Enum& target, const Attrs& n, std::string_view name) {
    if (auto v = Decoded(n, name)) {
        if (auto i = platform::ParseLocaleInt32(*v)) target = static_cast<Enum>(*i);
    }
}

void AssignInt16(std::int16_t& target, const Attrs& n, std::string_view name) {
    if (auto v = Decoded(n, name)) {
        if (auto i = platform::ParseLocaleInt16(*v)) target = *i;
    }
}

void AssignDecodedNum(float& target, const Attrs& n, std::string_view name) {
    if (auto v = Decoded(n, name)) target = AsMeasure(StrToNum(*v));
}

// Printer commands are decoded without the hex length limit, as they were
// written: a long command comes back whole.
void AssignHex(std::string& target, const Attrs& n, std::string_view name) {
    if (auto v = Raw(n, name)) target = HexToStrUnbounded(*v);
}

void XmlReader::PrnFormat(const Attrs& a) {
    auto f = std::make_shared<ePrnFormat>();
    Assign(f->Name, a, "Name");
    if (auto v = Decoded(a, "BottomM")) {
        if (auto x = platform::ParseLocaleSingle(*v)) f->BottomM = *x;
    }
    Assign(f->BackFormat, a, "BackFormat");
    AssignInt32(f->eOrientacion, a, "eOrientacion");
    AssignInt32(f->MoveOn, a, "MoveOn");
    AssignInt32(f->Paper, a, "Paper");
    AssignInt16(f->HorizontalN, a, "HorizontalN");
    AssignInt16(f->VerticalN, a, "VerticalN");
    AssignDecodedNum(f->Heigth, a, "Heigth");
    AssignDecodedNum(f->LeftM, a, "LeftM");
    AssignDecodedNum(f->PaperHeigth, a, "PaperHeigth");
    AssignDecodedNum(f->PaperWidth, a, "PaperWidth");
    AssignDecodedNum(f->RigthM, a, "RigthM");
    AssignDecodedNum(f->TopM, a, "TopM");
    AssignDecodedNum(f->Width, a, "Width");
    Assign(f->Metric, a, "Metric");
    AssignHex(f->BeginCommand, a, "BeginCommand");
    AssignHex(f->EndCommand, a, "EndCommand");
    Assign(f->Properties, a, "Properties");
    Push(Kind::PrnFormat).format = std::move(f);
}

void XmlReader::Control(Frame& list, const Attrs& a) {
    auto c = std::make_shared<eControl>();
    Assign(c->Name, a, "Name");
    Assign(c->Class, a, "Class");
    if (auto v = Decoded(a, "Enable")) {
        if (auto b = Variant(*v).ToTruth()) c->Enable = *b;
    }
    if (auto v = Decoded(a, "Extended")) c->Extended(*v);
    AssignNum(c->Height, Raw(a, "Height"));
    AssignNum(c->Left, Raw(a, "Left"));
    if (auto v = Decoded(a, "Locked")) c->Locked = StrToBool(*v);
    if (auto v = Decoded(a, "NoNull")) c->NoNull = StrToBool(*v);
    Assign(c->BindObject, a, "BindObject");
    if (auto v = Raw(a, "TabIndex")) {
        if (auto i = platform::ParseLocaleInt16(*v)) c->TabIndex = *i;
    }
    AssignNum(c->Top, Raw(a, "Top"));
    if (auto v = Decoded(a, "Visible")) c->Visible = StrToBool(*v);
    AssignDecodedNum(c->Width, a, "Width");
    if (!c->Data) c->Data = std::make_shared<Collection<eData>>();
    Frame& f = Push(Kind::Control);
    f.control = std::move(c);
    f.controlsInto = list.controlsInto;
}

// A data block without its Name ends the list.
void XmlReader::DataBlock(Frame& list, const Attrs& a) {
    auto name = Decoded(a, "Name");
    if (!name) {
        list.done = true;
        return void(Push(Kind::Skip));
    }
    Frame& f = Push(Kind::DataBlock);
    f.control = list.control;
    f.dataName = std::move(*name);
    Gather();
}

// ---------------------------------------------------------------- parse errors

// The record-source nesting an element stands at: a record source in a list
// under another record source is one level deeper than it.
int RecordSourceNesting(std::string_view tag, std::string_view parentTag, int parentCount) {
    if (tag == "eRSource") return parentTag == "eRSources" ? parentCount + 1 : 0;
    if (tag == "eRSources") return parentTag == "eRSource" ? parentCount : 0;
    return 0;
}

const XmlParseOptions kDefinitionParse{false, RecordSourceNesting, kMaxRecordSourceDepth, msg::kSourcesTooDeep, false};

// Characters of the offending line shown on each side of the position: a
// whole definition on one line is no message.
constexpr std::size_t kSourceSpan = 60;

// The line around byte at of it: at most kSourceSpan bytes on each side, cut
// at whole characters, "..." where something was left out.
std::string SourceSpan(std::string_view line, std::size_t at) {
    at = std::min(at, line.size());
    const auto lead = [&](std::size_t i) {  // back to the first byte of a character
        while (i > 0 && i < line.size() && (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) --i;
        return i;
    };
    const std::size_t from = at > kSourceSpan ? lead(at - kSourceSpan) : 0;
    const std::size_t to = line.size() - at > kSourceSpan ? lead(at + kSourceSpan) : line.size();
    return std::string(from > 0 ? "..." : "") + std::string(line.substr(from, to - from)) +
           (to < line.size() ? "..." : "");
}

XmlTextError TextError(const XmlParseError& e, std::string_view text) {
    const XmlSourcePosition pos = LocateInText(text, e.offset, e.encoding);
    // The byte of the position in the line read as UTF-8: the column counts characters.
    std::size_t at = 0;
    for (std::size_t chars = 1; at < pos.lineText.size() && chars < pos.column; ++chars) {
        ++at;
        while (at < pos.lineText.size() && (static_cast<unsigned char>(pos.lineText[at]) & 0xC0) == 0x80) ++at;
    }
    // The line may hold a connection string: scrubbed whole before it is
    // cut, so no cut hides a password's key from the scrubber. Masking may
    // move the position a little; the span stays around it.
    const std::string line = platform::ScrubPasswords(pos.lineText);
    const std::size_t shift = pos.lineText.size() > line.size() ? pos.lineText.size() - line.size() : 0;
    return {e.code,
            e.description,
            pos.line,
            pos.column,
            std::min(e.offset, text.size()),
            SourceSpan(line, at > shift ? at - shift : 0)};
}

// Moves what a read replaces from the definition built aside into r.
void TakeRead(Orvane& r, Orvane& read) {
    r.eConections = std::move(read.eConections);
    r.eParameters = std::move(read.eParameters);
    r.eDialogs = std::move(read.eDialogs);
    r.ePrnFormats = std::move(read.ePrnFormats);
    r.Code = std::move(read.Code);
    r.initialDialog = std::move(read.initialDialog);
    r.initialPrnFormat = std::move(read.initialPrnFormat);
    r.Lang = std::move(read.Lang);
    r.Version = read.Version;
    r.Name = std::move(read.Name);
    r.Info = std::move(read.Info);
}

}  // namespace
std::string XmlTextError::Message() const {
    std::string msg = "Error #: " + std::to_string(code) + ": " + description;
    if (msg.back() != '\n') msg += "\r\n";  // the reason ends its own line
    msg += "Line #: " + std::to_string(line) + "\r\n";
    msg += "Line Position: " + std::to_string(column) + "\r\n";
    msg += "Position In File: " + std::to_string(offset) + "\r\n";
    msg += "Source Text: " + sourceText + "\r\n";
    return msg;
}

namespace {

// ReadXML; when release is given (it is xmlData), it is freed once parsed.
DefinitionRead ReadDefinition(Orvane& r, const std::string& xmlData, std::string* release) {
    DefinitionRead result;
    try {
        Orvane read;
        read.Name = r.Name;
        read.Info = r.Info;
        read.Lang = r.Lang;
        read.initialDialog = r.initialDialog;
        read.initialPrnFormat = r.initialPrnFormat;
        read.Version = r.Version;
        XmlReader reader(read, r.ParentLink());
        if (auto error = ParseXmlEvents(xmlData, reader, kDefinitionParse)) {
            result.status = ReadStatus::NotWellFormed;
            result.error = TextError(*error, xmlData);
        } else {
            if (release) std::string().swap(*release);
            result.rootName = std::move(reader.rootName);
            if (reader.readRoot) {
                reader.Finish();
                TakeRead(r, read);
            }
        }
    } catch (...) {
        // Out of memory half-way: the definition stays as it was.
        result.status = ReadStatus::NotWellFormed;
        result.error = {kXmlErrorNoMemory, msg::XmlReason(kXmlErrorNoMemory), 0, 0, 0, ""};
    }
    r.SetHash();
    return result;
}

}  // namespace

DefinitionRead detail::ReadXmlReleasing(Orvane& r, std::string& text) { return ReadDefinition(r, text, &text); }

DefinitionRead Orvane::ReadXML(const std::string& xmlData) { return ReadDefinition(*this, xmlData, nullptr); }

bool Orvane::FromXML(const std::string& xmlData) {
    const DefinitionRead read = ReadXML(xmlData);
    if (read.status == ReadStatus::NotWellFormed) platform::ShowMessage(read.error.Message());
    return read.ok();
}

}  // namespace orvane
