// Restore files: any bytes parse without harm, and whatever parses whole
// formats back to a file that parses to the same state.
#include "FuzzInput.h"
#include "editing/RestoreFile.h"

#include <cstdio>
#include <cstdlib>

namespace {

bool sameMain(const RestoreFile::MainState& a, const RestoreFile::MainState& b)
{
    return a.databasePath == b.databasePath &&
           a.memoFingerprint == b.memoFingerprint && a.findWord == b.findWord && a.findIds == b.findIds && a.categoryRow == b.categoryRow &&
           a.caret == b.caret && a.memoNumber == b.memoNumber && a.isEdit == b.isEdit &&
           a.isPassword == b.isPassword && a.title == b.title && a.tags == b.tags && a.body == b.body;
}

bool sameFloating(const RestoreFile::FloatingState& a, const RestoreFile::FloatingState& b)
{
    return a.databasePath == b.databasePath && a.memoFingerprint == b.memoFingerprint &&
           a.editorFile == b.editorFile && a.editorFingerprint == b.editorFingerprint && a.newTitle == b.newTitle &&
           a.newTags == b.newTags && a.caret == b.caret && a.recordId == b.recordId && a.isEdit == b.isEdit && a.isPassword == b.isPassword &&
           a.caption == b.caption && a.text == b.text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const auto main = RestoreFile::parseMain(bytes);
    if (main.status == RestoreFile::Status::Restorable) {
        const auto again = RestoreFile::parseMain(RestoreFile::formatMain(main.state));
        FUZZ_CHECK(again.status == RestoreFile::Status::Restorable);
        FUZZ_CHECK(sameMain(again.state, main.state));
    }
    const auto floating = RestoreFile::parseFloating(bytes);
    if (floating.status == RestoreFile::Status::Restorable) {
        const auto again = RestoreFile::parseFloating(RestoreFile::formatFloating(floating.state));
        FUZZ_CHECK(again.status == RestoreFile::Status::Restorable);
        FUZZ_CHECK(sameFloating(again.state, floating.state));
    }
    return 0;
}
