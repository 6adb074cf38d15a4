// The print table layout: a table of rows, each row a list of cells, every
// cell with its width, border, colours, font, alignment and content source.
// The table writes itself as the table layout XML (root element "eCTable")
// and reads itself back from such a text. A print-grid control of a report
// carries its table as that text and links the loaded table as its
// LinkObject, so the three classes are host objects.
//
// Run-state fields of the table and the aggregate fields of a cell belong to
// the host's printing engine: they start at their initial values and nothing
// here reads or writes them again; they are not part of the XML.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <orvanespt/platform/Collection.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Variant.h>

namespace orvane {

/// A cell of a print table row: its size, look and the source of its content.
class ORVANE_API ePrnCell : public HostObject {
public:
    std::weak_ptr<HostObject> Parent;  ///< set by the host if it wants; never by the reader
    std::string Name;                ///< the cell's name in its row
    float Width = 0;                 ///< width, in the table's unit
    std::int16_t Subtype = 0;        ///< kind of content, as the host numbers it
    std::int32_t BorderColor = 0;    ///< border colour, a host colour value
    std::int16_t DrawStyle = 0;      ///< border line style, as the host numbers it
    std::int16_t DrawWidth = 0;      ///< border line width
    std::int32_t BackColor = 0;      ///< background colour, a host colour value
    std::int32_t FontColor = 0;      ///< text colour, a host colour value
    std::int32_t ForeColor = 0;      ///< drawing colour, a host colour value
    std::string TagData;             ///< free text kept for the host
    std::string Caption;             ///< the fixed text shown in the cell
    std::int16_t HAlig = 0;          ///< horizontal alignment, as the host numbers it
    std::int16_t VAlig = 0;          ///< vertical alignment, as the host numbers it
    std::string FontName;            ///< font family name
    std::int16_t FontSize = 0;       ///< font size in points
    /// Font style flags: non-zero for bold, italic and underlined text.
    ///@{
    std::int16_t FontBold = 0, FontItalic = 0, FontUnderline = 0;
    ///@}
    std::string eResDataName;  ///< a picture or text resource of the report
    std::string eSource;       ///< the content source, interpreted by the host
    /// The last value the host's printing engine put in the cell.
    double LastValue = 0;
    /// Aggregates of the host's printing engine (sum, count, minimum,
    /// maximum), with four scopes each: group, page, record source
    /// (Rst) and whole run.
    ///@{
    double TotalGroup = 0, TotalPage = 0, TotalRst = 0, Total = 0;
    std::int32_t CountGroup = 0, CountPage = 0, CountRst = 0, CountTotal = 0;
    double MinGroup = 0, MinPage = 0, MinRst = 0, MinTotal = 0;
    double MaxGroup = 0, MaxPage = 0, MaxRst = 0, MaxTotal = 0;
    ///@}

    /// The cell element ("<eControl ...>" with its "<Data .../>" child).
    /// Never fails.
    std::string ToXML() const;
};

/// A row of a print table: its cells, size and grouping key.
class ORVANE_API ePrnRow : public HostObject {
public:
    std::string Name;        ///< the row's name in its table
    std::int16_t Index = 0;  ///< position number kept by the host
    /// The row's cells, left to right.
    std::shared_ptr<Collection<ePrnCell>> Cells = std::make_shared<Collection<ePrnCell>>();
    float Height = 0;            ///< height, in the table's unit
    float Width = 0;             ///< width, in the table's unit
    std::string Caption;         ///< the row's title in the designer
    std::int16_t TypeRow = 0;    ///< kind of row (header, detail, footer...), as the host numbers it
    std::int16_t LockRow = 0;    ///< non-zero when the host keeps the row from being edited
    std::int16_t MultiLine = 0;  ///< non-zero when the row's cells wrap their text
    std::string KeyField;        ///< the field whose change starts a new group
    Variant KeyValue;            ///< a value or an object; read back as text
    std::string KeyGroups;       ///< the groups this row closes, as the host writes them

    /// The row element with its cells. Null cells are left out. Never fails.
    std::string ToXML() const;
};

/// A print table layout: rows of cells, written and read as the table layout XML.
class ORVANE_API ePrnTable : public HostObject {
public:
    /// The rows, top to bottom.
    std::shared_ptr<Collection<ePrnRow>> Rows = std::make_shared<Collection<ePrnRow>>();
    std::string Name;  ///< the table's name
    float Width = 0;   ///< width, in the host's unit
    float Height = 0;  ///< height, in the host's unit
    bool AutoAjust = false;      ///< host run state from here on: fit the table to the page
    float FZoom = 0;             ///< zoom the host prints at
    bool IsNotBegin = false;     ///< set by the host once printing has started
    std::int16_t RSPrinted = 0;  ///< record sources the host has printed so far

    /// The zoom of the host's last print; 1 until set.
    float LastZoom() const { return lastZoom_; }
    /// Sets the zoom of the host's last print.
    void LastZoom(const float& value) { lastZoom_ = value; }

    /// The whole table layout XML text, declaration included. Null rows are
    /// left out (as is a null Rows collection). Never fails.
    std::string ToXML() const;

    /// Reads a table layout XML text into this table: Name, Width and Height
    /// are overwritten and the rows read are appended to Rows. The text is
    /// read in the encodings Orvane::ReadXML reads. Returns false, changing
    /// nothing, when the text is not well-formed XML or its encoding is not
    /// read. A missing or
    /// unconvertible attribute stops the reading there and still returns
    /// true: what was set stays, complete rows and cells stay, the row and
    /// cell being read are dropped. Numbers are read by the user locale's rules.
    bool LoadFromXML(const std::string& sXML);

private:
    float lastZoom_ = 1.0f;
};

}  // namespace orvane
