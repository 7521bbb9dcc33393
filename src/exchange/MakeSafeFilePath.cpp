#include "exchange/MakeSafeFilePath.h"

namespace {

bool isForbidden(QChar ch)
{
    switch (ch.unicode()) {
    case u'\\':
    case u'/':
    case u':':
    case u'*':
    case u'?':
    case u'"':
    case u'<':
    case u'>':
    case u'|':
    case u'\r':
    case u'\n':
    case u'\t':
    case 0:
        return true;
    default:
        return false;
    }
}

// Drops the last character of `text`, both halves of a surrogate pair at once.
void dropLastCharacter(QString& text)
{
    const qsizetype size = text.size();
    const bool pair = size >= 2 && text.at(size - 1).isLowSurrogate() && text.at(size - 2).isHighSurrogate();
    text.chop(pair ? 2 : 1);
}

// folder + base + tail, the base shortened until the whole fits the limits.
QString fitWithin(const QString& folder, QString base, const QString& tail)
{
    const qsizetype tailBytes = tail.toUtf8().size();
    while (!base.isEmpty() && (folder.size() + base.size() + tail.size() > MaxPathChars ||
                               base.toUtf8().size() + tailBytes > MaxNameBytes))
        dropLastCharacter(base);
    return folder + base + tail;
}

} // namespace

QString MakeSafeFilePath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return MakeSafeFilePath(path.left(slash + 1), path.mid(slash + 1));
}

QString MakeSafeFilePath(const QString& folder, const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString extension = u'.' + (dot >= 0 ? name.mid(dot + 1) : QString());
    const QString rawBase = dot >= 0 ? name.left(dot) : name;

    QString base;
    base.reserve(rawBase.size());
    for (QChar ch : rawBase) {
        if (!isForbidden(ch))
            base.append(ch);
    }

    return fitWithin(folder, base, extension);
}

QString NumberedFilePath(const QString& path, int n)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot >= 0 ? name.left(dot) : name;
    const QString tail = QStringLiteral(" (%1)").arg(n) + (dot >= 0 ? name.mid(dot) : QString());
    return fitWithin(folder, base, tail);
}
