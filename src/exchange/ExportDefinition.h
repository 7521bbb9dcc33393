#pragma once

#include <QString>
#include <QStringList>

// An export definition file (".ted"): a header, a format number, free comment
// lines, then ":START" and the template that every exported memo fills in.
//
// The file is read item by item, the way comma-delimited data is read, not line
// by line: an item ends at a comma or a line end, blanks in front of it are
// skipped, an item in double quotes keeps its commas, and a blank line is one
// empty item. The template is the items after ":START" joined with CR LF, so
// an unquoted comma in a template line splits it into two lines.
namespace ExportDefinition {

inline constexpr const char* Header = ":Quillet Export Definition File";
inline constexpr const char* StartMark = ":START";

enum class Error
{
    None,
    CannotOpen,      // missing or unreadable file
    WrongHeader,     // the first item is not the header
    BadFormatNumber, // the second item, without its colons, is not a whole number of 1 or more
    NoStart,         // no ":START" item
    NoTemplate,      // nothing after ":START"
};

struct Result
{
    Error error = Error::None;
    QString templateText; // lines joined with CR LF; no CR LF after the last
    bool ok() const { return error == Error::None; }
};

// The items of a text, as the definition file reader takes them. Trailing
// blanks of an unquoted item are dropped; a quote that does not close on its
// line runs to the line end, so that a stray quote in a comment cannot swallow
// the ":START" line; text after a closing quote up to the delimiter is kept.
QStringList splitItems(const QString& text);

// Parses the text of a definition file.
Result parse(const QString& text);

// Reads the definition file at `path` (UTF-8, else CP932, as every text file
// Quillet reads).
Result read(const QString& path);

// The definitions Quillet ships: "テキスト" (title, date and tags, then the
// body), "Markdown" (the title as a heading) and "本文のみ" (the body alone).
// Written into `folder` when it holds no ".ted" file yet, so that a first
// export has something to choose; returns how many were written.
int installShipped(const QString& folder);

} // namespace ExportDefinition
