// The help seam: opening the component's help at a topic or at its index.
// The designer installs a viewer that shows the HTML help pages; headless
// hosts keep the default one, which only reports the request on standard
// error. Also finds the folder of the library's own file, where the help is
// looked for first.
#pragma once

#include <memory>
#include <string>

#include <orvanespt/platform/Export.h>

namespace orvane::platform {

/// Opens the component's help at a topic or at its index; the designer
/// installs one that shows the HTML pages.
class ORVANE_API HelpViewer {
public:
    virtual ~HelpViewer() = default;
    /// Opens the help file at the topic of contextId, or at its index when
    /// contextId is less than 1. False when the viewer could not show it.
    virtual bool Open(const std::string& file, int contextId) = 0;
};

/// Writes the request to standard error and returns true.
class ORVANE_API ReportingHelpViewer : public HelpViewer {
public:
    bool Open(const std::string& file, int contextId) override;
};

/// The installed viewer (the reporting one until a host installs another).
ORVANE_API std::shared_ptr<HelpViewer> CurrentHelpViewer();
/// Installs the viewer used from now on (null restores the reporting one);
/// returns the one that was installed.
ORVANE_API std::shared_ptr<HelpViewer> SetHelpViewer(std::shared_ptr<HelpViewer> viewer);

/// The folder holding the library's own file, ending with a separator; ""
/// when it cannot be found.
ORVANE_API std::string LibraryFolder();

}  // namespace orvane::platform
