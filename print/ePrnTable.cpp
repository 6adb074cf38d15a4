#include <orvanespt/print/ePrnTable.h>

#include <optional>
#include <string_view>

#include <orvanespt/model/XmlEvents.h>
#include <orvanespt/model/XmlText.h>
#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/platform/Text.h>
#include <orvanespt/print/detail/TableText.h>

// Two choices of the table text are ours:
// - Values written "as is" (KeyField, KeyValue, KeyGroups, eSource, FontName)
//   get only the escaping an attribute needs to read back as written: "&",
//   "<" and the double quote become entities, CR, LF and TAB character
//   references. A value without those characters is written unchanged.
// - The escaped values (names, captions, TagData, eResDataName) are read back
//   with the line-break marker turned into CR LF again, so a two-line caption
//   comes back as two lines.

namespace orvane {
namespace {

constexpr std::string_view kCR = "\r";
constexpr std::string_view kCRLF = "\r\n";

// --- writing -------------------------------------------------------------

void OpenAttr(std::string& out, std::string_view name) {
    out += ' ';
    out += name;
    out += "=\"";
}

void EscapedAttr(std::string& out, std::string_view name, std::string_view value) {
    OpenAttr(out, name);
    AppendEncodedXMLText(out, value);
    out += '"';
}

void AsIsAttr(std::string& out, std::string_view name, std::string_view value) {
    OpenAttr(out, name);
    for (char c : value) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\r':
                out += "&#xD;";
                break;
            case '\n':
                out += "&#xA;";
                break;
            case '\t':
                out += "&#x9;";
                break;
            default:
                out += c;
        }
    }
    out += '"';
}

void NumberAttr(std::string& out, std::string_view name, std::int32_t value) {
    OpenAttr(out, name);
    out += std::to_string(value);
    out += '"';
}

void SingleAttr(std::string& out, std::string_view name, float value) {
    OpenAttr(out, name);
    out += platform::FormatSingle(value);
    out += '"';
}

// --- reading -------------------------------------------------------------

// The name after any namespace prefix, as the DOM's local name.
std::string_view LocalName(const char* name) {
    std::string_view n(name);
    const auto colon = n.rfind(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

// Case-insensitive equality with an ASCII name, without allocating: every
// name the reader looks for is ASCII, so folding ASCII letters is enough.
bool SameName(std::string_view name, std::string_view wanted) {
    return text::EqualsIgnoreCaseAscii(name, wanted);
}

// Reads attributes of one element into fields. Each read succeeds or fails
// on its own and sets its field only on success, so a chain of reads joined
// by && stops at the first failure with the fields before it already set.
// Attributes are found by local name ignoring case, the first in document
// order; the parser's atts outlive the reader.
class AttrReader {
public:
    explicit AttrReader(const char* const* atts) : atts_(atts) {}

    bool Text(std::string_view name, std::string& out) const {
        auto v = Find(name);
        if (v) out = *v;
        return v.has_value();
    }
    bool Decoded(std::string_view name, std::string& out) const {
        auto v = Find(name);
        if (v) out = DecodeXMLText(*v);
        return v.has_value();
    }
    bool Single(std::string_view name, float& out) const { return Convert(name, out, platform::ParseLocaleSingle); }
    bool Int16(std::string_view name, std::int16_t& out) const {
        return Convert(name, out, platform::ParseLocaleInt16);
    }
    bool Int32(std::string_view name, std::int32_t& out) const {
        return Convert(name, out, platform::ParseLocaleInt32);
    }

private:
    std::optional<std::string_view> Find(std::string_view name) const {
        for (const char* const* a = atts_; *a; a += 2)
            if (text::EqualsIgnoreCase(LocalName(a[0]), name)) return std::string_view(a[1]);
        return std::nullopt;
    }

    template <typename T, typename Parse>
    bool Convert(std::string_view name, T& out, Parse parse) const {
        auto v = Find(name);
        if (!v) return false;
        auto n = parse(*v);
        if (n) out = *n;
        return n.has_value();
    }

    const char* const* atts_;
};

bool ReadData(const AttrReader& a, ePrnCell& c) {
    return a.Int32("BackColor", c.BackColor) && a.Int32("BorderColor", c.BorderColor) &&
           a.Decoded("Caption", c.Caption) && a.Int16("DrawStyle", c.DrawStyle) && a.Int16("DrawWidth", c.DrawWidth) &&
           a.Int32("ForeColor", c.ForeColor) && a.Int32("FontColor", c.FontColor) && a.Decoded("TagData", c.TagData) &&
           a.Text("FontName", c.FontName) && a.Int16("FontSize", c.FontSize) && a.Int16("FontBold", c.FontBold) &&
           a.Int16("FontItalic", c.FontItalic) && a.Int16("FontUnderLine", c.FontUnderline) &&
           a.Int16("HAlig", c.HAlig) && a.Int16("VAlig", c.VAlig) && a.Decoded("eResDataName", c.eResDataName) &&
           a.Text("eSource", c.eSource);
}

// A cell's own attributes; null when one is missing or does not convert.
std::shared_ptr<ePrnCell> ReadCell(const AttrReader& a) {
    auto cell = std::make_shared<ePrnCell>();
    if (!(a.Decoded("Name", cell->Name) && a.Int16("Subtype", cell->Subtype) && a.Single("Width", cell->Width)))
        return nullptr;
    return cell;
}

std::shared_ptr<ePrnRow> ReadRow(const AttrReader& a) {
    auto row = std::make_shared<ePrnRow>();
    std::string key;
    if (!(a.Single("Height", row->Height) && a.Int16("Index", row->Index) && a.Decoded("Name", row->Name) &&
          a.Single("Width", row->Width) && a.Decoded("Caption", row->Caption) && a.Int16("TypeRow", row->TypeRow) &&
          a.Int16("LockRow", row->LockRow) && a.Int16("MultiLine", row->MultiLine) &&
          a.Text("KeyField", row->KeyField) && a.Text("KeyValue", key) && a.Text("KeyGroups", row->KeyGroups)))
        return nullptr;
    row->KeyValue = Variant(std::move(key));
    return row;
}

// Reads a table text into a table built aside, from the parser's events, by
// depth: 1 the table, 2 its rows (other elements skipped), 3 a row's cells
// (any other node, a comment or a text too, fails the row), 4 a cell's
// "Data" elements (matched exactly, unlike every other name). The first
// failure stops the reading: the rows before it are kept.
class TableReader final : public XmlEvents {
public:
    explicit TableReader(ePrnTable& table) : table_(table) { wantsText = true; }

    void Start(const char* name, const char* const* atts) override {
        ++depth_;
        if (stopped_) return;
        const AttrReader a(atts);
        if (depth_ == 1) {
            if (!SameName(LocalName(name), "eCTable")) return Stop();
            if (!(a.Decoded("Name", table_.Name) && a.Single("Height", table_.Height) && a.Single("Width", table_.Width)))
                Stop();
        } else if (depth_ == 2 && SameName(LocalName(name), "tablerow")) {
            row_ = ReadRow(a);
            if (!row_) Stop();
        } else if (depth_ == 3 && row_) {
            cell_ = ReadCell(a);
            if (!cell_) return Stop();
            row_->Cells->Add(cell_);
        } else if (depth_ == 4 && cell_ && LocalName(name) == "Data") {
            if (!ReadData(a, *cell_)) Stop();
        }
    }
    void End() override {
        if (!stopped_ && depth_ == 2 && row_) {
            if (!table_.Rows) table_.Rows = std::make_shared<Collection<ePrnRow>>();
            table_.Rows->Add(std::move(row_));
        }
        if (depth_ == 3) cell_.reset();
        if (depth_ == 2) row_.reset();
        --depth_;
    }
    void Text(std::string_view, bool) override { NotACell(); }
    void Comment(const char*) override { NotACell(); }
    void Instruction(const char*, const char*) override { NotACell(); }

private:
    void Stop() { stopped_ = true; }
    // A node in a row that is no element has no cell's attributes.
    void NotACell() {
        if (depth_ == 2 && row_) Stop();
    }

    ePrnTable& table_;
    std::shared_ptr<ePrnRow> row_;
    std::shared_ptr<ePrnCell> cell_;
    int depth_ = 0;
    bool stopped_ = false;
};

}  // namespace

std::string ePrnCell::ToXML() const {
    std::string out = "<eControl";
    EscapedAttr(out, "Name", Name);
    out += " Width =\"";
    out += platform::FormatSingle(Width);
    out += '"';
    NumberAttr(out, "SubType", Subtype);
    out += '>';
    out += kCR;

    out += "<Data";
    NumberAttr(out, "BorderColor", BorderColor);
    NumberAttr(out, "DrawWidth", DrawWidth);
    NumberAttr(out, "BackColor", BackColor);
    NumberAttr(out, "DrawStyle", DrawStyle);
    NumberAttr(out, "ForeColor", ForeColor);
    NumberAttr(out, "FontColor", FontColor);
    EscapedAttr(out, "TagData", TagData);
    EscapedAttr(out, "Caption", Caption);
    EscapedAttr(out, "eResDataName", eResDataName);
    AsIsAttr(out, "eSource", eSource);
    NumberAttr(out, "HAlig", HAlig);
    NumberAttr(out, "VAlig", VAlig);
    AsIsAttr(out, "FontName", FontName);
    NumberAttr(out, "FontSize", FontSize);
    NumberAttr(out, "FontBold", FontBold);
    NumberAttr(out, "FontItalic", FontItalic);
    NumberAttr(out, "FontUnderline", FontUnderline);
    out += " />";
    out += kCR;
    out += "</eControl>";
    return out;
}

std::string ePrnRow::ToXML() const {
    std::string out = "<TableRow";
    EscapedAttr(out, "Name", Name);
    NumberAttr(out, "Index", Index);
    SingleAttr(out, "Height", Height);
    SingleAttr(out, "Width", Width);
    EscapedAttr(out, "Caption", Caption);
    NumberAttr(out, "TypeRow", TypeRow);
    NumberAttr(out, "LockRow", LockRow);
    NumberAttr(out, "MultiLine", MultiLine);
    AsIsAttr(out, "KeyField", KeyField);
    AsIsAttr(out, "KeyValue", KeyValue.TextOr());  // Null and objects have no text: ""
    AsIsAttr(out, "KeyGroups", KeyGroups);
    out += '>';
    out += kCR;
    if (Cells) {
        for (const auto& cell : *Cells) {
            if (!cell) continue;
            out += cell->ToXML();
            out += kCR;
        }
    }
    out += "</TableRow>";
    return out;
}

std::string ePrnTable::ToXML() const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out += kCRLF;
    out += "<eCTable";
    EscapedAttr(out, "Name", Name);
    SingleAttr(out, "Width", Width);
    SingleAttr(out, "Height", Height);
    out += "> ";
    if (Rows) {
        for (const auto& row : *Rows) {
            if (!row) continue;
            out += row->ToXML();
            out += kCR;
        }
    }
    out += "</eCTable>";
    return out;
}

// The table changes only when the whole text is well-formed: it is read
// into a copy of its own fields, and what was read is taken at the end.
bool detail::ReadTableText(ePrnTable& table, const std::string& text, bool decoded) {
    ePrnTable read;
    read.Name = table.Name;
    read.Height = table.Height;
    read.Width = table.Width;
    read.Rows = nullptr;
    TableReader reader(read);
    // Comments and processing instructions are told, because one inside a
    // row is not a cell and stops the reading.
    if (!ReadXmlEvents(text, reader, true, decoded)) return false;
    table.Name = std::move(read.Name);
    table.Height = read.Height;
    table.Width = read.Width;
    if (read.Rows) {
        if (!table.Rows) table.Rows = std::make_shared<Collection<ePrnRow>>();
        for (const auto& row : *read.Rows) table.Rows->Add(row);
    }
    return true;
}

bool ePrnTable::LoadFromXML(const std::string& sXML) {
    return detail::ReadTableText(*this, sXML, false);
}

}  // namespace orvane
