// eResData: a picture or text resource carried in the report's package.
#pragma once

#include <memory>
#include <string>

#include <orvanespt/model/Enums.h>
#include <orvanespt/platform/Export.h>
#include <orvanespt/platform/Picture.h>

namespace orvane {

/// A resource of the report, kept in its package: a picture or a text.
class ORVANE_API eResData {
public:
    std::string Name;  ///< also the file name stem inside the package
    std::shared_ptr<Picture> PicData;  ///< the picture of an rtPicture resource
    std::string TextData;              ///< the text of an rtText resource
    std::int32_t ResType = 0;  ///< a ResTypes value; 0 until loaded or set

    /// Resolves FileName through the path-resolution service (the resolved
    /// name is written back), reads the whole file as text, sets rtText.
    /// False, nothing changed, when the file does not exist or cannot be read.
    ///@{
    bool LoadTextFromFile(std::string& FileName);
    bool LoadTextFromFile(const std::string& FileName);
    ///@}

    /// As LoadTextFromFile for a picture (BMP, ICO, PNG, JPEG, GIF, WMF, EMF),
    /// keeping the file's bytes. A file that is not a picture shows
    /// "La imágen nos es válida." and returns false with the old values kept.
    ///@{
    bool LoadPictureFromFile(std::string& FileName);
    bool LoadPictureFromFile(const std::string& FileName);
    ///@}
};

}  // namespace orvane
