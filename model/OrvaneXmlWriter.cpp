// The definition XML's writer: Orvane::ToXML appends to one string in a
// fixed order with fixed spacing (the dirty check digests that exact text, as
// it is written, through GetHashSign), and the saving of that text to a file.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orvanespt/model/GridLink.h>
#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/model/XmlText.h>
#include <orvanespt/model/detail/ExtendedText.h>
#include <orvanespt/platform/Digest.h>
#include <orvanespt/platform/FileOps.h>
#include <orvanespt/platform/HexText.h>
#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Text.h>

namespace orvane {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The writer keeps every level a host built: a text too deep to read is
// refused by the reader with a message, never cut short here.
constexpr int kWholeTree = std::numeric_limits<int>::max();

class XmlWriter {
public:
    // With digest, the text is handed to it in pieces as it is written, and
    // out holds no more than the piece being written.
    explicit XmlWriter(std::string& out, platform::DigestStream* digest = nullptr) : out_(out), digest_(digest) {}

    void Root(const Orvane& r);

    std::size_t written = 0;  // the bytes handed to the digest

private:
    // Small enough that a piece is still in the nearest caches when it is
    // hashed: larger pieces made the dirty check a third slower than ToXML.
    static constexpr std::size_t kPiece = std::size_t{1} << 14;
    void Spill() {
        if (!digest_ || out_.size() < kPiece) return;
        Hand();
    }
    void Hand() {
        digest_->Update(out_);
        written += out_.size();
        out_.clear();
    }

    // One blank-led attribute: name (with its own leading blanks and "="),
    // then the quoted, escaped text.
    void Text(std::string_view nameEq, std::string_view value) {
        out_ += nameEq;
        out_ += '"';
        Encoded(value);
        out_ += '"';
    }
    // AppendEncodedXMLText; for the digest, a long text goes a slice at a
    // time, each handed on. A slice ends before an ASCII byte that no CR
    // precedes, so that no escape (a CR LF pair, a UTF-8 sequence) spans two.
    void Encoded(std::string_view value) {
        while (digest_ && value.size() > kPiece) {
            std::size_t cut = kPiece;
            while (cut < value.size() && (static_cast<unsigned char>(value[cut]) >= 0x80 || value[cut - 1] == '\r')) {
                ++cut;
            }
            AppendEncodedXMLText(out_, value.substr(0, cut));
            value.remove_prefix(cut);
            Spill();
        }
        AppendEncodedXMLText(out_, value);
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
    platform::DigestStream* digest_;
    std::string scratch_;  // reused for each control's extended string and each parameter's type
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
    Encoded(r.Code);
    out_ += "</eCode>\r\n</Orvane>";
    if (digest_) Hand();
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
    Spill();
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
    Spill();
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
        scratch_.assign(p.eType()).append(1, '|').append(p.DTFormat);
        Text("  eType=", scratch_);
    }
    Text(" Predef=", p.Predef);
    out_ += "></eParameter>";
    Spill();
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
    Spill();
}

void XmlWriter::DataBlocks(const Collection<eData>* list) {
    out_ += " <eData> \r\n";
    if (list) {
        for (const auto& d : *list) {
            if (!d) continue;
            Text("<DatB64 Name=", d->Name);
            out_ += ">\r\n";
            Encoded(d->DatB64);
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

}  // namespace

// The output is reserved from the size of the last text written, which is
// nearly always the size of this one; without one, from a guess.
std::string Orvane::ToXML() const {
    std::string out;
    const std::size_t last = lastXmlSize_.load(std::memory_order_relaxed);
    out.reserve(last ? last + last / 32 + 4096 : SizeGuess().Of(*this));
    XmlWriter(out).Root(*this);
    lastXmlSize_.store(out.size(), std::memory_order_relaxed);
    return out;
}

// Digests the text as it is written, so that the whole text is never held.
std::string Orvane::GetHashSign() const {
    try {
        platform::DigestStream digest;
        std::string piece;
        piece.reserve(std::size_t{1} << 16);
        XmlWriter writer(piece, &digest);
        writer.Root(*this);
        lastXmlSize_.store(writer.written, std::memory_order_relaxed);
        return digest.Sign();
    } catch (...) {
        return {};
    }
}

DefinitionWrite Orvane::WriteXMLFile(const std::string& sFile) {
    DefinitionWrite result;
    result.file = platform::SaveWholeFile(sFile, ToXML());
    if (result.ok()) SetHash();
    return result;
}

}  // namespace orvane
