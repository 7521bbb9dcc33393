// The tag-string rules: no input harms them, and their results keep the
// promises the lists and the tag commands rely on.
#include "FuzzInput.h"
#include "tags/TagString.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = fuzzParts(data, size, 3);
    const QString tags = QString::fromUtf8(parts[0]);
    const QString name = QString::fromUtf8(parts[1]);
    const QString other = QString::fromUtf8(parts[2]);

    // Each check below reads the whole string, so only the first tags are
    // checked one by one: a string of thousands of tags stays a fast input.
    const QStringList split = splitTags(tags).mid(0, 16);
    for (const QString& tag : split) {
        FUZZ_CHECK(!tag.contains(u' '));
        FUZZ_CHECK(holdsTag(tags, tag));
    }
    shortenTagString(tags);
    trimBlanks(tags);
    toggleTag(tags, name);
    addTagsToString(tags, {name, other}, false);
    addTagsToString(tags, {name}, true);
    renameTagInString(tags, name, other);

    // Whatever names a tag of the string is gone after removing it.
    for (const QString& tag : split) {
        if (!tag.isEmpty())
            FUZZ_CHECK(!holdsTag(removeTagFromString(tags, tag), tag));
    }
    removeTagFromString(tags, name);
    return 0;
}
