// PLACEHOLDER: replaced by the package file writer and reader.
#include "model/Orvane.h"
namespace orvane {
bool Orvane::SaveXPDFile(const std::string&) { return false; }
bool Orvane::LoadXPDFile(const std::string&) { return false; }
void Orvane::ReadResIndex(const std::string&) {}
bool eResData::LoadTextFromFile(std::string&) { return false; }
bool eResData::LoadTextFromFile(const std::string&) { return false; }
bool eResData::LoadPictureFromFile(std::string&) { return false; }
bool eResData::LoadPictureFromFile(const std::string&) { return false; }
}  // namespace orvane
