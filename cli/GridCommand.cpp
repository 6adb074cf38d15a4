// orvane grid FILE CONTROL-NAME: the print table linked to a print-grid
// control, one line for the table, one per row and one per cell.
#include <iostream>

#include "Commands.h"
#include "Support.h"
#include "Texts.h"
#include <orvanespt/model/eControl.h>
#include <orvanespt/model/eDialog.h>
#include <orvanespt/model/ePrnFormat.h>
#include <orvanespt/platform/NumberFormat.h>
#include <orvanespt/print/ePrnTable.h>

namespace orvane::cli {
namespace {

// A text in double quotes, with quotes, backslashes and line breaks shown as
// escapes so that every item stays on its own line.
std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

// The first control of that name (ignoring case), print formats first.
std::shared_ptr<eControl> FindControl(const Orvane& rpt, const std::string& name) {
    if (rpt.ePrnFormats)
        for (const auto& f : *rpt.ePrnFormats)
            if (f)
                if (auto c = f->GetControl(name)) return c;
    if (rpt.eDialogs)
        for (const auto& d : *rpt.eDialogs)
            if (d)
                if (auto c = d->GetControl(name)) return c;
    return nullptr;
}

void PrintTable(const ePrnTable& t, std::ostream& out) {
    const int rows = t.Rows ? t.Rows->Count() : 0;
    out << msg::kTable << " " << Quoted(t.Name) << " " << msg::kWidth << platform::FormatSingle(t.Width) << " "
        << msg::kHeight << platform::FormatSingle(t.Height) << " " << msg::kRows << rows << "\n";
    for (int r = 1; r <= rows; ++r) {
        const auto row = t.Rows->Item(r);
        if (!row) continue;
        const int cells = row->Cells ? row->Cells->Count() : 0;
        out << msg::kRow << " " << r << " " << Quoted(row->Name) << " " << msg::kHeight
            << platform::FormatSingle(row->Height) << " " << msg::kWidth << platform::FormatSingle(row->Width) << " "
            << msg::kCaption << Quoted(row->Caption) << " " << msg::kCells << cells << "\n";
        for (int c = 1; c <= cells; ++c) {
            const auto cell = row->Cells->Item(c);
            if (!cell) continue;
            out << "  " << msg::kCell << " " << c << " " << Quoted(cell->Name) << " " << msg::kWidth
                << platform::FormatSingle(cell->Width) << " " << msg::kCaption << Quoted(cell->Caption) << " "
                << msg::kSource << Quoted(cell->eSource) << "\n";
        }
    }
}

}  // namespace

void Grid(const std::string& file, const std::string& controlName) {
    const auto rpt = LoadDefinition(file);
    const auto control = FindControl(*rpt, controlName);
    if (!control) throw CliError(msg::NoControl(file, Quoted(controlName)));
    const auto table = std::dynamic_pointer_cast<ePrnTable>(control->LinkObject);
    if (!table) throw CliError(msg::NoPrintTable(file, Quoted(control->Name), Quoted(control->Class)));
    PrintTable(*table, std::cout);
    std::cout << std::flush;
}

}  // namespace orvane::cli
