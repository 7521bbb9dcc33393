#include "exchange/WebSearch.h"

#include "app/CodePage.h"

#include <QFileInfo>

namespace WebSearch {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void appendPercent(QString& out, quint8 byte)
{
    out += QLatin1Char('%');
    out += QLatin1Char(kHexDigits[byte >> 4]);
    out += QLatin1Char(kHexDigits[byte & 0x0F]);
}

// Letters, digits and "@*-._" travel as they are in both encoders.
bool isPlain(uint c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '@' ||
           c == '*' || c == '-' || c == '.' || c == '_';
}

bool isSjisLeadByte(quint8 b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
}

// The CP932 bytes of a text; a character without a code becomes "?", as a
// Windows conversion to the ANSI code page does.
QByteArray cp932Bytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes += '?';
            ++i;
            continue;
        }
        const std::optional<quint16> code = CodePage::cp932Code(ch);
        if (!code)
            bytes += '?';
        else if (*code > 0xFF)
            bytes += char(*code >> 8), bytes += char(*code & 0xFF);
        else
            bytes += char(*code);
    }
    return bytes;
}

QString trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

} // namespace

QString URLEncodeSJIS(const QString& text)
{
    const QByteArray bytes = cp932Bytes(text);
    QString out;
    out.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const quint8 b = quint8(bytes.at(i));
        if (isSjisLeadByte(b)) {
            // A double-byte character: the trail byte is encoded whatever it is,
            // since it may look like an ASCII character ("表" is 0x95 0x5C).
            appendPercent(out, b);
            if (i + 1 < bytes.size())
                appendPercent(out, quint8(bytes.at(++i)));
        } else if (b == 0x20) {
            out += QLatin1Char('+');
        } else if (isPlain(b)) {
            out += QLatin1Char(char(b));
        } else {
            appendPercent(out, b);
        }
    }
    return out;
}

QString URLEncodeUTF8(const QString& text)
{
    QString out;
    out.reserve(text.size() * 9);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            u = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            u = QChar::ReplacementCharacter;
        }
        if (u == 0x20) {
            out += QLatin1Char('+');
        } else if (u < 0x80) {
            if (isPlain(u))
                out += QLatin1Char(char(u));
            else
                appendPercent(out, quint8(u));
        } else if (u < 0x800) {
            appendPercent(out, quint8(0xC0 | (u >> 6)));
            appendPercent(out, quint8(0x80 | (u & 0x3F)));
        } else if (u < 0x10000) {
            appendPercent(out, quint8(0xE0 | (u >> 12)));
            appendPercent(out, quint8(0x80 | ((u >> 6) & 0x3F)));
            appendPercent(out, quint8(0x80 | (u & 0x3F)));
        } else {
            appendPercent(out, quint8(0xF0 | (u >> 18)));
            appendPercent(out, quint8(0x80 | ((u >> 12) & 0x3F)));
            appendPercent(out, quint8(0x80 | ((u >> 6) & 0x3F)));
            appendPercent(out, quint8(0x80 | (u & 0x3F)));
        }
    }
    return out;
}

QString searchAddress(const QString& selection, int engine)
{
    QString text = trimBlanks(selection);
    text.replace(QLatin1Char(' '), QLatin1Char('+'));
    if (text.isEmpty())
        return {};
    switch (engine) {
    case Google:
        return QStringLiteral("https://www.google.co.jp/search?num=50&hl=ja&ie=Shift_JIS&oe=Shift_JIS&q=") +
               URLEncodeSJIS(text);
    case Yahoo:
        return QStringLiteral("https://search.yahoo.co.jp/search?p=") + URLEncodeUTF8(text) +
               QStringLiteral("&ei=UTF-8");
    case Wikipedia:
        // The article name goes into the path as typed ("+" for a blank), but
        // characters that would end the path ("?", "#") or start an escape
        // ("%") are escaped so that "C#" finds "C#" and not "C".
        return QStringLiteral("https://ja.wikipedia.org/wiki/") +
               QString::fromLatin1(QUrl::toPercentEncoding(text, "+/:()!,;'*~$&=@"));
    case Amazon:
        return QStringLiteral(
                   "https://www.amazon.co.jp/exec/obidos/external-search/?mode=blended&field-keywords=") +
               URLEncodeUTF8(text);
    default:
        return {};
    }
}

QString withoutLineBreaks(const QString& text)
{
    QString cleaned = text;
    cleaned.remove(QStringLiteral("\r\n"));
    cleaned.remove(QLatin1Char('\n'));
    cleaned.remove(QLatin1Char('\r'));
    return cleaned;
}

LinkKind classify(const QString& text)
{
    if (text.startsWith(QLatin1String("http://")) || text.startsWith(QLatin1String("https://")))
        return LinkKind::WebAddress;
    // An existing file comes before a mail address: a file name may well hold
    // an "@" and a ".".
    if (!text.isEmpty() && QFileInfo::exists(text))
        return LinkKind::Path;
    if (isMailtoAddress(text))
        return LinkKind::MailtoAddress;
    if (text.contains(QLatin1Char('.')) && text.contains(QLatin1Char('@')))
        return LinkKind::MailAddress;
    return LinkKind::NotALink;
}

bool isMailtoAddress(const QString& text)
{
    return text.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
}

QString mailtoOf(const QString& address)
{
    // A query ("?attach=…", "?body=…") would tell the mail program more than
    // the selected address: what the user did not write as a link is only
    // an address.
    return QStringLiteral("mailto:") + address.left(address.indexOf(QLatin1Char('?')));
}

QUrl shellTarget(const QString& target)
{
    if (target.startsWith(QLatin1String("http://")) || target.startsWith(QLatin1String("https://")) ||
        isMailtoAddress(target))
        return QUrl(target, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

bool ShellOpen(const QString& target, UrlOpener& opener)
{
    const QUrl url = shellTarget(target);
    return url.isValid() && opener.openUrl(url);
}

int OpenSelectedText(QString& text, UrlOpener& opener, QString& error)
{
    text = withoutLineBreaks(text);
    error.clear();
    switch (classify(text)) {
    case LinkKind::WebAddress:
    case LinkKind::Path:
    case LinkKind::MailtoAddress:
        break;
    case LinkKind::MailAddress:
        text = mailtoOf(text);
        break;
    case LinkKind::NotALink:
        error = QStringLiteral("選択文字列はファイル/フォルダ、URLもしくはメールアドレスではありません");
        return 1;
    }
    if (!ShellOpen(text, opener)) {
        error = QStringLiteral("選択文字列を開くのに失敗しました。");
        return 1;
    }
    return 0;
}

} // namespace WebSearch
