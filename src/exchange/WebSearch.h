#pragma once

#include <QString>
#include <QUrl>

// Opening a selection of memo text (a web address, a mail address, a file or
// folder) and building web-search addresses for it. The desktop itself is
// reached through UrlOpener, so that tests can record what would be opened.

// Hands an address to the desktop's URL, mail and file handlers.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    // True when the desktop accepted the request.
    virtual bool openUrl(const QUrl& url) = 0;
};

namespace WebSearch {

// The search services of the "search with an engine" commands, by engine number.
enum Engine
{
    Google = 0,
    Yahoo = 1,
    Wikipedia = 2,
    Amazon = 3
};
constexpr int EngineCount = 4;

// Quillet's own web pages, opened by the help menu.
inline constexpr const char* ProjectSite = "https://quillet-app.github.io/";
inline constexpr const char* OnlineHelpAddress = "https://quillet-app.github.io/manual/";
inline constexpr const char* NewInfoAddress = "https://quillet-app.github.io/news/";

// Percent-encoding of a query for a site that expects Shift_JIS: the text's
// CP932 bytes, a blank as "+", letters, digits and "@*-._" as they are. A
// character that CP932 cannot represent is sent as "?".
QString URLEncodeSJIS(const QString& text);
// The same for UTF-8. Characters outside the Basic Multilingual Plane are
// encoded as their four UTF-8 bytes; a lone surrogate as U+FFFD.
QString URLEncodeUTF8(const QString& text);

// The address that searches `selection` with `engine` (0 to 3): blanks
// trimmed from both ends, each inner blank a "+". Empty when nothing is left.
QString searchAddress(const QString& selection, int engine);

// The selection without its line breaks (CR LF, then LF, then CR).
QString withoutLineBreaks(const QString& text);

enum class LinkKind
{
    WebAddress,
    MailtoAddress, // a "mailto:" link, opened as written
    MailAddress,   // a bare address, opened with "mailto:" put in front
    Path,
    NotALink
};
// How a selection (already without line breaks) is opened: an address that
// starts with "http://" or "https://"; the name of an existing file or
// folder; a "mailto:" link; a text holding "." and "@" as a mail address.
LinkKind classify(const QString& text);

// Whether `text` starts with "mailto:", in any letter case.
bool isMailtoAddress(const QString& text);
// The "mailto:" link of a bare mail address, without any query part: a
// selected "a@b.c?attach=/etc/passwd" opens as "mailto:a@b.c".
QString mailtoOf(const QString& address);

// The address the desktop is asked to open for a target of OpenSelectedText:
// a mail or web address as written, an existing file or folder as a file URL.
QUrl shellTarget(const QString& target);
// Asks the desktop to open `target`; true when it accepted.
bool ShellOpen(const QString& target, UrlOpener& opener);

// Opens a selection: its line breaks are removed (`text` is changed), a bare
// mail address becomes its "mailto:" link. 0 on success; 1 on failure with
// `error` set to the message to show.
int OpenSelectedText(QString& text, UrlOpener& opener, QString& error);

} // namespace WebSearch
