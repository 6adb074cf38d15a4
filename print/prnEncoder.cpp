#include <orvanespt/print/prnEncoder.h>

#include <vector>

#include <orvanespt/platform/HexText.h>
#include <orvanespt/platform/Text.h>

namespace orvane {
namespace {

// As the packed form was built: an empty text has no pieces at all.
std::vector<std::string> Pieces(const std::string& s, const char* sep) {
    if (s.empty()) return {};
    return text::Split(s, sep);
}

std::string PieceOrEmpty(const std::vector<std::string>& v, std::size_t i) {
    return i < v.size() ? v[i] : std::string();
}

void ReadTrackLine(const std::vector<std::string>& lines, std::size_t i, std::string& command, std::string& suffix) {
    const auto parts = Pieces(PieceOrEmpty(lines, i), "|");
    command = PieceOrEmpty(parts, 0);
    suffix = PieceOrEmpty(parts, 1);
}

}  // namespace

std::string prnEncoder::StrEncoder() const {
    const std::string crlf = "\r\n";
    return Name + crlf + PreCommand + crlf + PostCommand + crlf + Command1 + "|" + Sufijo1 + crlf + Command2 + "|" +
           Sufijo2 + crlf + Command3 + "|" + Sufijo3;
}

void prnEncoder::StrEncoder(const std::string& value) {
    // A lone LF is not a line break: it stays inside its field.
    const auto lines = Pieces(text::ReplaceAll(value, "\r\n", "\r"), "\r");
    Name = PieceOrEmpty(lines, 0);
    PreCommand = PieceOrEmpty(lines, 1);
    PostCommand = PieceOrEmpty(lines, 2);
    ReadTrackLine(lines, 3, Command1, Sufijo1);
    ReadTrackLine(lines, 4, Command2, Sufijo2);
    ReadTrackLine(lines, 5, Command3, Sufijo3);
}

std::string prnEncoder::BinString(const std::string& strHex) const {
    // HexToStr gives characters 0..255 as UTF-8; the printer wants the bytes.
    std::string bytes;
    for (char32_t cp : text::DecodeUtf8(HexToStr(strHex))) bytes += static_cast<char>(static_cast<unsigned char>(cp));
    return bytes;
}

}  // namespace orvane
