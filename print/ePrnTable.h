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
#include <orvanespt/platform/Variant.h>

namespace orvane {

class ePrnCell : public HostObject {
public:
    std::weak_ptr<HostObject> Parent;  // set by the host if it wants; never by the reader
    std::string Name;
    float Width = 0;
    std::int16_t Subtype = 0;
    std::int32_t BorderColor = 0;
    std::int16_t DrawStyle = 0;
    std::int16_t DrawWidth = 0;
    std::int32_t BackColor = 0;
    std::int32_t FontColor = 0;
    std::int32_t ForeColor = 0;
    std::string TagData;
    std::string Caption;
    std::int16_t HAlig = 0;
    std::int16_t VAlig = 0;
    std::string FontName;
    std::int16_t FontSize = 0;
    std::int16_t FontBold = 0, FontItalic = 0, FontUnderline = 0;
    std::string eResDataName;  // a picture or text resource of the report
    std::string eSource;       // the content source, interpreted by the host
    // Aggregates of the host's printing engine, with four scopes each:
    // group, page, record source and whole run.
    double LastValue = 0;
    double TotalGroup = 0, TotalPage = 0, TotalRst = 0, Total = 0;
    std::int32_t CountGroup = 0, CountPage = 0, CountRst = 0, CountTotal = 0;
    double MinGroup = 0, MinPage = 0, MinRst = 0, MinTotal = 0;
    double MaxGroup = 0, MaxPage = 0, MaxRst = 0, MaxTotal = 0;

    // The cell element ("<eControl ...>" with its "<Data .../>" child).
    // Never fails.
    std::string ToXML() const;
};

class ePrnRow : public HostObject {
public:
    std::string Name;
    std::int16_t Index = 0;  // position number kept by the host
    std::shared_ptr<Collection<ePrnCell>> Cells = std::make_shared<Collection<ePrnCell>>();
    float Height = 0;
    float Width = 0;
    std::string Caption;
    std::int16_t TypeRow = 0;
    std::int16_t LockRow = 0;
    std::int16_t MultiLine = 0;
    std::string KeyField;
    Variant KeyValue;  // a value or an object; read back as text
    std::string KeyGroups;

    // The row element with its cells. Null cells are left out. Never fails.
    std::string ToXML() const;
};

class ePrnTable : public HostObject {
public:
    std::shared_ptr<Collection<ePrnRow>> Rows = std::make_shared<Collection<ePrnRow>>();
    std::string Name;
    float Width = 0;
    float Height = 0;
    bool AutoAjust = false;  // host run state from here on
    float FZoom = 0;
    bool IsNotBegin = false;
    std::int16_t RSPrinted = 0;

    float LastZoom() const { return lastZoom_; }
    void LastZoom(const float& value) { lastZoom_ = value; }

    // The whole table layout XML text, declaration included. Null rows are
    // left out (as is a null Rows collection). Never fails.
    std::string ToXML() const;

    // Reads a table layout XML text into this table: Name, Width and Height
    // are overwritten and the rows read are appended to Rows. The text is
    // read in the encodings Orvane::ReadXML reads. Returns false, changing
    // nothing, when the text is not well-formed XML or its encoding is not
    // read. A missing or
    // unconvertible attribute stops the reading there and still returns
    // true: what was set stays, complete rows and cells stay, the row and
    // cell being read are dropped. Numbers are read by the user locale's rules.
    bool LoadFromXML(const std::string& sXML);

private:
    float lastZoom_ = 1.0f;
};

}  // namespace orvane
