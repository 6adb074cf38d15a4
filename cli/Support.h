// What the commands of the command-line host share: the error that ends a
// command, the message sink that turns the library's message boxes into
// text, and loading a definition from a package or an XML file.
#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/Messages.h>

namespace orvane::cli {

// Ends a command; main prints "orvane: " + what() on standard error.
class CliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Keeps the messages the library shows instead of showing them, answering
// OK (or No to a question), so that a command can report them as its error.
class CapturedMessages : public platform::MessageSink {
public:
    platform::MsgAnswer Show(const std::string& text, platform::MsgButtons buttons, platform::MsgIcon icon,
                             const std::string& title) override;
    // The messages shown since the last Take, each on one line, and forgets them.
    std::vector<std::string> Take();

private:
    std::vector<std::string> texts_;
};

// The sink installed by main for the whole run.
CapturedMessages& Messages();

// The messages shown since the last Take, joined with " | ", or the
// fallback when there were none.
std::string ShownOr(const std::string& fallback);

enum class FileKind {
    Package,  // a zip archive
    XmlText,  // text whose first non-blank character is "<"
    Other,
};

// Kind of an existing file, judged by its first bytes. Throws CliError when
// the file is missing, is a folder or cannot be read.
FileKind KindOfFile(const std::filesystem::path& file);

// The definition held by a package or a definition XML text. Throws
// CliError, with the library's message when it showed one, when the file is
// missing, is neither kind, is a package without source.xml, or holds text
// that is not well-formed XML or not a report definition.
std::shared_ptr<Orvane> LoadDefinition(const std::filesystem::path& file);

// Replaces the password values of the definition's connection strings by
// "***", for commands that print a definition rather than use it.
void HidePasswords(Orvane& rpt);

// The definition of an XML text file (packages refused), as LoadDefinition.
std::shared_ptr<Orvane> LoadDefinitionXml(const std::filesystem::path& file);

}  // namespace orvane::cli
