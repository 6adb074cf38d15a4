// The definition XML: Orvane::ToXML writes it by appending to one string in a
// fixed order with fixed spacing (the dirty check digests that exact text);
// Orvane::ReadXML reads it back from the document ParseXml builds, lenient
// about names and tolerant of missing attributes where the format allows it,
// into a definition built aside that replaces the old one only when the
// whole text was read.
#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/GridLink.h"
#include "model/Orvane.h"
#include "model/RSourceWalk.h"
#include "model/XmlText.h"
#include "model/detail/ExtendedText.h"
#include "model/detail/ReadText.h"
#include "model/detail/XmlLookup.h"
#include "model/detail/XmlParse.h"
#include "platform/HexText.h"
#include "platform/Messages.h"
#include "platform/Secrets.h"
#include "platform/NumberFormat.h"
#include "platform/Text.h"

namespace orvane {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The writer keeps every level a host built: a text too deep to read is
// refused by the reader with a message, never cut short here.
constexpr int kWholeTree = std::numeric_limits<int>::max();

// ---------------------------------------------------------------- writing

class XmlWriter {
public:
    explicit XmlWriter(std::string& out) : out_(out) {}

    void Root(const Orvane& r);

private:
    // One blank-led attribute: name (with its own leading blanks and "="),
    // then the quoted, escaped text.
    void Text(std::string_view nameEq, std::string_view value) {
        out_ += nameEq;
        AppendAttrValue(out_, value);
    }
    template <typename T>
    void Int(std::string_view nameEq, T value) {
        out_ += nameEq;
        out_ += '"';
        char buf[24];
        auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
        out_.append(buf, res.ptr);
        out_ += '"';
    }
    // Whole numbers below 1E+07 (most positions and sizes) are written
    // directly; FormatSingle gives the same digits for them.
    void Single(std::string_view nameEq, float value) {
        out_ += nameEq;
        out_ += '"';
        if (value == std::trunc(value) && std::fabs(value) < 1e7f) {
            char buf[16];
            auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long>(value));
            out_.append(buf, res.ptr);
        } else {
            out_ += platform::FormatSingle(value);
        }
        out_ += '"';
    }
    void Flag(std::string_view nameEq, bool value) {
        out_ += nameEq;
        out_ += value ? "\"-1\"" : "\"0\"";
    }
    void Hex(std::string_view nameEq, std::string_view value) {
        out_ += nameEq;
        out_ += '"';
        AppendHexText(out_, value);  // hex digits never need escaping
        out_ += '"';
    }

    void Connections(const Collection<eConnection>* list);
    void Connection(const eConnection& c);
    void RSourceList(const Collection<eRSource>* list);
    void RSourceStart(const eRSource& rs);
    void Parameters(const Collection<eParameter>* list);
    void Parameter(const eParameter& p);
    void Dialogs(const Collection<eDialog>* list);
    void Dialog(const eDialog& d);
    void Controls(const Collection<eControl>* list);
    void Control(const eControl& c);
    void DataBlocks(const Collection<eData>* list);
    void PrnFormats(const Collection<ePrnFormat>* list);
    void PrnFormat(const ePrnFormat& f);

    std::string& out_;
    std::string scratch_;  // reused for each control's extended string
};

void XmlWriter::Root(const Orvane& r) {
    out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    Text("<Orvane Name=", r.Name);
    Text(" Info=", r.Info);
    Text(" Lang=", r.Lang);
    Text(" initialDialog = ", r.initialDialog);
    Text(" initialPrnFormat=", r.initialPrnFormat);
    out_ += " Version=\"1.0\" >\r\n";
    Connections(r.eConections.get());
    Parameters(r.eParameters.get());
    Dialogs(r.eDialogs.get());
    PrnFormats(r.ePrnFormats.get());
    out_ += kCrLf;
    out_ += "<eCode>";
    AppendEncodedXMLText(out_, r.Code);
    out_ += "</eCode>\r\n</Orvane>";
}

void XmlWriter::Connections(const Collection<eConnection>* list) {
    out_ += "<eConnections>\r\n";
    if (list) {
        for (const auto& c : *list) {
            if (c) Connection(*c);
        }
    }
    out_ += "</eConnections>";
}

void XmlWriter::Connection(const eConnection& c) {
    Text("<eConnection Name=", c.Name);
    Text(" cnnString=", c.cnnString);
    Flag(" Internal=", c.Internal);
    out_ += " > \r\n";
    RSourceList(c.eRSources.get());
    out_ += "</eConnection>";
}

void XmlWriter::RSourceList(const Collection<eRSource>* list) {
    out_ += "<eRSources>\r\n";
    WalkRSources(
        list,
        [this](const std::shared_ptr<eRSource>& rs, int, bool entering) {
            RSourceStart(*rs);
            out_ += entering ? "<eRSources>\r\n" : "</eRSource>\r\n";
            return true;
        },
        [this](const eRSource&, int) { out_ += "</eRSources>\r\n</eRSource>\r\n"; }, kWholeTree);
    out_ += "</eRSources>\r\n";
}

void XmlWriter::RSourceStart(const eRSource& rs) {
    Text("<eRSource Name=", rs.Name);
    Text(" ecnnName=", rs.ecnnName());
    Text(" CursorLocation=", rs.CursorLocation);
    Text(" CursorType=", rs.CursorType);
    Text(" SQLCommand=", rs.SQLCommand);
    Text(" TypeofCommand=", rs.TypeofCommand);
    Text(" LockType=", rs.LockType);
    Text(" eFieldNametoParameters=", rs.eFieldNametoParameters);
    Text(" idParameterLinked=", rs.idParameterLinked);
    Text(" SendParameters=", rs.SendParameters);
    Text(" Filter=", rs.Filter);
    Text(" Order=", rs.Order);
    out_ += " >\r\n";
}

void XmlWriter::Parameters(const Collection<eParameter>* list) {
    out_ += "  <eParameters>\r\n";
    if (list) {
        for (const auto& p : *list) {
            if (p) Parameter(*p);
        }
    }
    out_ += "  </eParameters>\r\n";
}

void XmlWriter::Parameter(const eParameter& p) {
    Text("<eParameter Name=", p.Name);
    if (text::TrimBlanks(p.DTFormat).empty()) {
        Text("  eType=", p.eType());
    } else {
        Text("  eType=", p.eType() + "|" + p.DTFormat);
    }
    Text(" Predef=", p.Predef);
    out_ += "></eParameter>";
}

void XmlWriter::Dialogs(const Collection<eDialog>* list) {
    out_ += "<eDialogs>\r\n";
    if (list) {
        for (const auto& d : *list) {
            if (d) Dialog(*d);
        }
    }
    out_ += "</eDialogs>";
}

void XmlWriter::Dialog(const eDialog& d) {
    Text("<eDialog Name=", d.Name);
    Text(" Class=", d.Class);
    Single(" Height=", d.Height);
    Single(" Width=", d.Width);
    Text(" Load=", d.Load);
    Text(" OnCancel=", d.OnCancel);
    Text(" OnControlEvent=", d.OncontrolEvent);
    Text(" OnOk=", d.OnOK);
    Int(" BackColor=", d.BackColor);
    Text(" Title=", d.Title);
    Text(" Validate=", d.Validate);
    out_ += " >\r\n";
    Controls(d.eControls.get());
    RSourceList(d.eRSources.get());
    out_ += "</eDialog>";
}

void XmlWriter::Controls(const Collection<eControl>* list) {
    out_ += "<eControls>\r\n";
    if (list) {
        for (const auto& c : *list) {
            if (c) Control(*c);
        }
    }
    out_ += "</eControls>\r\n";
}

void XmlWriter::Control(const eControl& c) {
    Text("<eControl Name=", c.Name);
    Text(" Class=", c.Class);
    Single("  Top=", c.Top);
    Single(" Left=", c.Left);
    Single(" Width=", c.Width);
    Single("  Height=", c.Height);
    Flag(" Visible=", c.Visible);
    Flag(" NoNull=", c.NoNull);
    scratch_.clear();
    detail::AppendExtended(scratch_, c);
    Text(" Extended=", scratch_);
    Int(" TabIndex=", c.TabIndex);
    Text(" BindObject=", c.BindObject);
    Flag(" Enable=", c.Enable);
    Flag(" Locked=", c.Locked);
    out_ += ">\r\n";
    DataBlocks(c.Data.get());
    out_ += "</eControl>";
}

void XmlWriter::DataBlocks(const Collection<eData>* list) {
    out_ += " <eData> \r\n";
    if (list) {
        for (const auto& d : *list) {
            if (!d) continue;
            Text("<DatB64 Name=", d->Name);
            out_ += ">\r\n";
            AppendEncodedXMLText(out_, d->DatB64);
            out_ += "\r\n</DatB64>\r\n";
        }
    }
    out_ += " </eData> \r\n";
}

void XmlWriter::PrnFormats(const Collection<ePrnFormat>* list) {
    if (!list) {
        out_ += "<ePrnFormats/>";
        return;
    }
    out_ += "<ePrnFormats>";
    for (const auto& f : *list) {
        if (f) PrnFormat(*f);
    }
    out_ += "</ePrnFormats>";
}

void XmlWriter::PrnFormat(const ePrnFormat& f) {
    Text("<ePrnFormat Name=", f.Name);
    Single(" BottomM=", f.BottomM);
    Int(" Paper=", static_cast<std::int32_t>(f.Paper));
    Int(" eOrientacion=", static_cast<std::int32_t>(f.eOrientacion));
    Single(" Heigth=", f.Heigth);
    Int(" HorizontalN=", f.HorizontalN);
    Single(" LeftM=", f.LeftM);
    Int(" MoveOn=", static_cast<std::int32_t>(f.MoveOn));
    Single(" PaperHeigth=", f.PaperHeigth);
    Single(" PaperWidth=", f.PaperWidth);
    Single(" RigthM=", f.RigthM);
    Single(" TopM=", f.TopM);
    Int(" VerticalN=", f.VerticalN);
    Single(" Width=", f.Width);
    Text(" Metric=", f.Metric);
    Text(" BackFormat=", f.BackFormat);
    Text(" Properties=", f.Properties);
    Hex(" BeginCommand=", f.BeginCommand);
    Hex(" EndCommand=", f.EndCommand);
    out_ += " >";
    Controls(f.eControls.get());
    out_ += "</ePrnFormat>";
}

// A close guess of the written size, from the texts' sizes and each
// element's fixed part, so the output grows at most once: reallocating a
// text of many megabytes costs more than writing it.
class SizeGuess {
public:
    std::size_t Of(const Orvane& r) {
        Add(1024, r.Name, r.Info, r.Lang, r.initialDialog, r.initialPrnFormat, r.Code);
        Each(r.eConections.get(), [&](const eConnection& c) {
            Add(80, c.Name, c.cnnString);
            RSources(c.eRSources.get());
        });
        Each(r.eParameters.get(), [&](const eParameter& p) { Add(60, p.Name, p.eType(), p.DTFormat, p.Predef); });
        Each(r.eDialogs.get(), [&](const eDialog& d) {
            Add(200, d.Name, d.Class, d.Load, d.OnCancel, d.OncontrolEvent, d.OnOK, d.Title, d.Validate);
            Controls(d.eControls.get());
            RSources(d.eRSources.get());
        });
        Each(r.ePrnFormats.get(), [&](const ePrnFormat& f) {
            Add(400, f.Name, f.Metric, f.BackFormat, f.Properties, f.BeginCommand, f.BeginCommand, f.EndCommand,
                f.EndCommand);
            Controls(f.eControls.get());
        });
        return n_ + n_ / 8;
    }

private:
    template <typename... S>
    void Add(std::size_t fixed, const S&... texts) {
        n_ += fixed + (texts.size() + ...);
    }
    template <typename T, typename F>
    static void Each(const Collection<T>* list, F f) {
        if (!list) return;
        for (const auto& item : *list) {
            if (item) f(*item);
        }
    }
    void RSources(const Collection<eRSource>* top) {
        WalkRSources(
            top,
            [&](const std::shared_ptr<eRSource>& rs, int, bool) {
                Add(260, rs->Name, rs->CursorLocation, rs->CursorType, rs->SQLCommand, rs->TypeofCommand,
                    rs->LockType, rs->eFieldNametoParameters, rs->idParameterLinked, rs->SendParameters, rs->Filter,
                    rs->Order);
                return true;
            },
            [](const eRSource&, int) {}, kWholeTree);
    }
    void Controls(const Collection<eControl>* list) {
        Each(list, [&](const eControl& c) {
            Add(230, c.Name, c.Class, c.BindObject);
            Each(c.ExtendedProperties.get(), [&](const ExtProperty& p) {
                const std::string* v = p.Value.AsText();
                n_ += p.Name.size() + 8 + (v ? v->size() : 8);
            });
            Each(c.Data.get(), [&](const eData& d) { Add(40, d.Name, d.DatB64); });
        });
    }

    std::size_t n_ = 0;
};

// ---------------------------------------------------------------- reading

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

// Every text and CDATA piece under node, in document order, walked without
// recursion.
std::string TextContent(pugi::xml_node node) {
    const pugi::xml_node first = node.first_child();
    if (first && !first.next_sibling() && first.type() == pugi::node_pcdata) return first.value();
    std::string out;
    for (pugi::xml_node cur = first; cur;) {
        if (cur.type() == pugi::node_pcdata || cur.type() == pugi::node_cdata) out += cur.value();
        if (cur.first_child()) {
            cur = cur.first_child();
            continue;
        }
        while (cur != node && !cur.next_sibling()) cur = cur.parent();
        if (cur == node) break;
        cur = cur.next_sibling();
    }
    return out;
}

bool IsElement(pugi::xml_node n) { return n.type() == pugi::node_element; }
bool IsElement(pugi::xml_node n, const char* exactTag) { return IsElement(n) && std::strcmp(n.name(), exactTag) == 0; }

// Reads into r_, a definition built aside; the connections already point to
// parent, the definition they will belong to.
class XmlReader {
public:
    XmlReader(Orvane& r, std::weak_ptr<Orvane> parent) : r_(r), parent_(std::move(parent)) {}

    void Root(pugi::xml_node root);

private:
    void RootAttributes(pugi::xml_node root);
    void Connections(pugi::xml_node list);
    void RSourceList(pugi::xml_node owner, std::shared_ptr<eConnection> cnn, Collection<eRSource>& into);
    void RSourceTree(pugi::xml_node top, const std::shared_ptr<eConnection>& cnn, Collection<eRSource>& into);
    void Parameters(pugi::xml_node list);
    void Dialogs(pugi::xml_node list);
    void Dialog(pugi::xml_node node);
    void PrnFormats(pugi::xml_node list);
    void PrnFormat(pugi::xml_node node);
    void Controls(pugi::xml_node list, Collection<eControl>& into);
    void Control(pugi::xml_node node, Collection<eControl>& into);
    void DataBlocks(pugi::xml_node list, eControl& c);

    Orvane& r_;
    std::weak_ptr<Orvane> parent_;
};

void XmlReader::Root(pugi::xml_node root) {
    RootAttributes(root);
    const auto children = root.children();
    r_.eConections = std::make_shared<Collection<eConnection>>();
    Connections(FindElementByName(children, "eConnections", ""));
    r_.eParameters = std::make_shared<Collection<eParameter>>();
    Parameters(FindElementByName(children, "eParameters", ""));
    r_.eDialogs = std::make_shared<Collection<eDialog>>();
    Dialogs(FindElementByName(children, "eDialogs", ""));
    r_.ePrnFormats = std::make_shared<Collection<ePrnFormat>>();
    PrnFormats(FindElementByName(children, "ePrnFormats", ""));
    // A text without eCode holds no code: the definition follows the text.
    const pugi::xml_node code = FindElementByName(children, "eCode", "");
    r_.Code = code ? DecodeXMLText(text::TrimWhite(TextContent(code))) : std::string();
}

// The root's own attributes are taken as the parser returns them.
void XmlReader::RootAttributes(pugi::xml_node root) {
    const Attrs a(root);
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
void XmlReader::Connections(pugi::xml_node list) {
    try {
        for (pugi::xml_node n : list.children()) {
            if (!IsElement(n)) continue;
            const Attrs a(n);
            auto c = std::make_shared<eConnection>();
            c->Name = Required(a, "Name");
            c->cnnString = Required(a, "cnnString");
            c->Internal = StrToBool(Required(a, "Internal"));
            RSourceList(n, c, *c->eRSources);
            c->RPTParent = parent_;
            r_.eConections->Add(c);
        }
    } catch (const MissingAttribute&) {
    }
}

// For a dialog (cnn null) the first record source whose ecnnName names an
// existing connection fixes the connection for itself and every later one.
void XmlReader::RSourceList(pugi::xml_node owner, std::shared_ptr<eConnection> cnn, Collection<eRSource>& into) {
    for (pugi::xml_node list : owner.children()) {
        if (!IsElement(list, "eRSources")) continue;
        for (pugi::xml_node n : list.children()) {
            if (!IsElement(n, "eRSource")) continue;
            if (!cnn) {
                if (auto name = Decoded(Attrs(n), "ecnnName")) cnn = r_.GetECnnByName(*name);
            }
            RSourceTree(n, cnn, into);
        }
    }
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

// One record source and its descendants, breadth first through a queue so
// that nesting costs no call stack; each item is appended to its parent's
// list in document order. ParseXml has refused texts nested deeper than
// kMaxRecordSourceDepth.
void XmlReader::RSourceTree(pugi::xml_node top, const std::shared_ptr<eConnection>& cnn, Collection<eRSource>& into) {
    struct Work {
        pugi::xml_node node;
        Collection<eRSource>* into;
    };
    std::deque<Work> queue{{top, &into}};
    while (!queue.empty()) {
        const Work w = queue.front();
        queue.pop_front();
        auto rs = std::make_shared<eRSource>();
        if (cnn) {
            rs->ecnnName(cnn->Name);
            rs->eCnn = cnn;
        }
        ReadRSourceAttributes(Attrs(w.node), *rs);
        w.into->Add(rs);
        for (pugi::xml_node list : w.node.children()) {
            if (!IsElement(list, "eRSources")) continue;
            for (pugi::xml_node child : list.children()) {
                if (IsElement(child, "eRSource")) queue.push_back({child, rs->eRSources.get()});
            }
        }
    }
}

// A parameter with a missing attribute ends the list.
void XmlReader::Parameters(pugi::xml_node list) {
    try {
        for (pugi::xml_node n : list.children()) {
            if (!IsElement(n)) continue;
            const Attrs a(n);
            auto p = std::make_shared<eParameter>();
            p->Name = Required(a, "Name");
            p->Predef = Required(a, "Predef");
            p->eType(Required(a, "eType"));
            r_.eParameters->Add(p);
        }
    } catch (const MissingAttribute&) {
    }
}

void XmlReader::Dialogs(pugi::xml_node list) {
    for (pugi::xml_node n : list.children()) {
        if (IsElement(n, "eDialog")) Dialog(n);
    }
}

void XmlReader::Dialog(pugi::xml_node n) {
    const Attrs a(n);
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
    RSourceList(n, nullptr, *d->eRSources);
    Controls(FindElementByName(n.children(), "eControls", ""), *d->eControls);
    r_.eDialogs->Add(d);
}

void XmlReader::PrnFormats(pugi::xml_node list) {
    for (pugi::xml_node n : list.children()) {
        if (IsElement(n)) PrnFormat(n);
    }
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

void XmlReader::PrnFormat(pugi::xml_node n) {
    const Attrs a(n);
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
    for (pugi::xml_node list : n.children()) {
        if (IsElement(list, "eControls")) Controls(list, *f->eControls);
    }
    r_.ePrnFormats->Add(f);
}

void XmlReader::Controls(pugi::xml_node list, Collection<eControl>& into) {
    for (pugi::xml_node n : list.children()) {
        if (IsElement(n)) Control(n, into);
    }
}

void XmlReader::Control(pugi::xml_node n, Collection<eControl>& into) {
    const Attrs a(n);
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
    // A failure in the data blocks or the grid link skips only that step.
    try {
        DataBlocks(FindElementByName(n.children(), "eData", ""), *c);
    } catch (const std::exception&) {
    }
    try {
        LinkPrintGrid(*c);
    } catch (...) {
    }
    into.Add(c);
}

// A data block without its Name ends the list.
void XmlReader::DataBlocks(pugi::xml_node list, eControl& c) {
    if (!c.Data) c.Data = std::make_shared<Collection<eData>>();
    try {
        for (pugi::xml_node n : list.children()) {
            if (!IsElement(n)) continue;
            const Attrs a(n);
            auto d = std::make_shared<eData>();
            d->Name = Required(a, "Name");
            d->DatB64 = DecodeXMLText(text::TrimWhite(TextContent(n)));
            c.Data->Add(d);
        }
    } catch (const MissingAttribute&) {
    }
}

// ---------------------------------------------------------------- parse errors

// The record-source nesting an element stands at: a record source in a list
// under another record source is one level deeper than it.
int RecordSourceNesting(std::string_view tag, std::string_view parentTag, int parentCount) {
    if (tag == "eRSource") return parentTag == "eRSources" ? parentCount + 1 : 0;
    if (tag == "eRSources") return parentTag == "eRSource" ? parentCount : 0;
    return 0;
}

const XmlParseOptions kDefinitionParse{false, RecordSourceNesting, kMaxRecordSourceDepth,
                                       "los orígenes de datos anidan más niveles de los que se admiten (256)"};

XmlTextError TextError(const XmlParseError& e, std::string_view text) {
    const XmlSourcePosition pos = LocateInText(text, e.offset);
    // The line may hold a connection string.
    return {e.code, e.description, pos.line, pos.column, std::min(e.offset, text.size()),
            platform::ScrubPasswords(std::string(pos.lineText))};
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
    msg += "Line #: " + std::to_string(line) + "\r\n";
    msg += "Line Position: " + std::to_string(column) + "\r\n";
    msg += "Position In File: " + std::to_string(offset) + "\r\n";
    msg += "Source Text: " + sourceText + "\r\n";
    return msg;
}

std::string Orvane::ToXML() const {
    std::string out;
    out.reserve(SizeGuess().Of(*this));
    XmlWriter(out).Root(*this);
    return out;
}

namespace {

// ReadXML; when release is given (it is xmlData), it is freed once parsed.
DefinitionRead ReadDefinition(Orvane& r, const std::string& xmlData, std::string* release) {
    DefinitionRead result;
    try {
        pugi::xml_document doc;
        if (auto error = ParseXml(xmlData, doc, kDefinitionParse)) {
            result.status = ReadStatus::NotWellFormed;
            result.error = TextError(*error, xmlData);
        } else {
            if (release) std::string().swap(*release);
            if (pugi::xml_node root = FindElementByName(doc.children(), "Orvane", "")) {
                result.rootName = root.name();
                Orvane read;
                read.Name = r.Name;
                read.Info = r.Info;
                read.Lang = r.Lang;
                read.initialDialog = r.initialDialog;
                read.initialPrnFormat = r.initialPrnFormat;
                read.Version = r.Version;
                XmlReader(read, r.ParentLink()).Root(root);
                TakeRead(r, read);
            } else if (pugi::xml_node other = doc.document_element()) {
                result.rootName = other.name();
            }
        }
    } catch (...) {
        // Out of memory half-way: the definition stays as it was.
        result.status = ReadStatus::NotWellFormed;
        result.error = {kXmlErrorNoMemory, "out of memory", 0, 0, 0, ""};
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
