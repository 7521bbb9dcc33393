// The import commands through the main window: one file, a folder through
// the import dialog, files and folders dropped on the lists, the window and
// the contents box, the report texts, and a long import cancelled.
#include "MainWindowFixture.h"
#include "MemoFixtures.h"
#include "app/IniFile.h"
#include "editing/MemoEditor.h"
#include "exchange/ExportDefinition.h"
#include "exchange/ExportMemos.h"
#include "store/MemoStore.h"
#include "tags/TagTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <sys/stat.h>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kNoFiles = u"追加できるファイルがありませんでした。"_s;
const QString kNoObject = u"追加できるオブジェクトがありませんでした。"_s;
const QString kCancelled = u"途中でキャンセルしました。"_s;

QString imported(int count, const QString& tag)
{
    return u"%1個のファイルを%2タグをつけてインポートしました。"_s.arg(count).arg(tag);
}

class ImportCommandsTest : public MainWindowFixture
{
protected:
    QString files = home.file(u"files/"_s);

    QString write(const QString& relative, const QByteArray& bytes = "text")
    {
        const QString path = files + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    std::vector<Memo> memos()
    {
        std::vector<Memo> all;
        window->store().forEachMemo(true, true, [&](const Memo& memo) {
            all.push_back(memo);
            return true;
        });
        return all;
    }
    // "title tags" of every memo, sorted.
    QStringList memoTitlesAndTags()
    {
        QStringList list;
        for (const Memo& memo : memos())
            list.append(memo.title + u' ' + memo.category);
        list.sort();
        return list;
    }
    // The Num cell of the category row with this name; -1 when there is none.
    int shownCount(const QString& name) const
    {
        for (const QString& row : categoryRows())
            if (row.section(u' ', 1, -2) == name)
                return row.section(u' ', -1).toInt();
        return -1;
    }
    void expectCountsMatchRecount()
    {
        const QStringList shown = categoryRows();
        EXPECT_EQ(countsByName(shown), countsByName(recountedCategoryRows()));
    }

    // Drags `data` over `target` and drops it there, as the desktop's file
    // manager does; returns the action the drop was accepted with.
    static Qt::DropAction drop(QWidget* target, const QMimeData& data)
    {
        const QPoint at = target->rect().center();
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setDropAction(Qt::MoveAction);
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        move.setDropAction(Qt::MoveAction);
        QApplication::sendEvent(target, &move);
        QDropEvent dropped(QPointF(at), offered, &data, Qt::LeftButton, Qt::NoModifier);
        dropped.setDropAction(Qt::MoveAction);
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    }
    static std::unique_ptr<QMimeData> fileList(const QStringList& paths)
    {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data->setUrls(urls);
        return data;
    }

    // Runs `inDialog` on the import dialog once it shows.
    void whenImportDialogShows(std::function<void(QDialog*)> inDialog)
    {
        QTimer::singleShot(0, window.get(), [inDialog] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog);
            ASSERT_EQ(dialog->objectName(), u"frmImport"_s);
            inDialog(dialog);
        });
    }
    static void click(QDialog* dialog, const char* button)
    {
        auto* found = dialog->findChild<QAbstractButton*>(QString::fromLatin1(button));
        ASSERT_TRUE(found) << button;
        QTest::mouseClick(found, Qt::LeftButton);
    }
};

TEST_F(ImportCommandsTest, ImportOneFileTagsItImportAndRemembersItsFolder)
{
    prepare();
    open();
    const QString path = write(u"notes/Shopping list.txt"_s, "milk\r\neggs\r\n");
    prompt.files = {{path}};
    triggerAction("mnuImport");

    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].title, u"ファイルを開く"_s);
    EXPECT_EQ(prompt.shown[0].text, home.path()); // the dialog starts in MyPath
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_EQ(memoTitlesAndTags(), QStringList{u"Shopping list [Import]"_s});
    EXPECT_EQ(memos()[0].body, u"milk\r\neggs\r\n"_s);
    EXPECT_EQ(shownCount(u"[ALL]"_s), 1);
    EXPECT_EQ(shownCount(u"[Import]"_s), 1);
    EXPECT_EQ(IniFile::readText(iniPath(), u"RecentFiles"_s, u"ImportFile"_s, QString()), files + u"notes"_s);

    // The next dialog starts in that folder; cancelling it does nothing.
    prompt.files = {{}};
    triggerAction("mnuImport");
    EXPECT_EQ(prompt.shown.last().text, files + u"notes"_s);
    EXPECT_EQ(memos().size(), 1u);
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
}

struct FolderCase
{
    const char* name;
    bool subFolders;
    QStringList titles;
};

void PrintTo(const FolderCase& c, std::ostream* out)
{
    *out << c.name;
}

class ImportFolderTest : public ImportCommandsTest, public ::testing::WithParamInterface<FolderCase>
{
};

TEST_P(ImportFolderTest, ImportFolderTakesTheTextFilesTheDialogAsksFor)
{
    const FolderCase& c = GetParam();
    addMemo(u"kept"_s, u"work"_s);
    write(u"a.txt"_s);
    write(u"Notes.TXT"_s);
    write(u"notes.text"_s);
    write(u"sub/b.txt"_s);
    write(u"sub/deeper/c.txt"_s);
    write(u"sub/deeper/d.txt"_s);
    prepare();
    open();
    const QStringList before = categoryRows();
    prompt.files = {{files}};
    whenImportDialogShows([&c](QDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), u"ImportMemo"_s);
        click(dialog, "Btn_OpenFolder");
        dialog->findChild<QCheckBox*>(u"chkSubFolder"_s)->setChecked(c.subFolders);
        click(dialog, "Btn_Import");
    });
    triggerAction("mnuImportFolder");

    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].title, u"フォルダの選択"_s);
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    QStringList expected{u"kept work"_s};
    for (const QString& title : c.titles)
        expected.append(title + u" [Import]"_s);
    expected.sort();
    EXPECT_EQ(memoTitlesAndTags(), expected);
    const int added = int(c.titles.size());
    EXPECT_EQ(shownCount(u"[ALL]"_s), 1 + added);
    EXPECT_EQ(shownCount(u"[Import]"_s), added);
    EXPECT_EQ(shownCount(u"[Find]"_s), 0);
    EXPECT_EQ(shownCount(u"work"_s), 1);
    expectCountsMatchRecount();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportFolderTest,
    ::testing::Values(FolderCase{"without subfolders", false, {u"Notes"_s, u"a"_s}},
                      FolderCase{"with subfolders", true, {u"Notes"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s}}));

TEST_F(ImportCommandsTest, ClosingTheImportDialogImportsNothing)
{
    write(u"a.txt"_s);
    prepare();
    open();
    bool closed = false;
    whenImportDialogShows([this, &closed](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(u"txtImportPath"_s)->setText(files);
        click(dialog, "Btn_Close");
        closed = true;
    });
    triggerAction("mnuImportFolder");
    EXPECT_TRUE(closed);
    EXPECT_TRUE(memos().empty());
    EXPECT_TRUE(prompt.shown.isEmpty());
}

// Where files are dropped and which category row is selected then.
struct DropCase
{
    const char* name;
    const char* selected;
    const char* storedTag;
    std::function<QWidget*(ImportCommandsTest&)> target;
};

void PrintTo(const DropCase& c, std::ostream* out)
{
    *out << c.name;
}

class DropTest : public ImportCommandsTest, public ::testing::WithParamInterface<DropCase>
{
public:
    using MainWindowFixture::catList;
    using MainWindowFixture::memoList;
    using MainWindowFixture::window;
};

TEST_P(DropTest, DroppedFilesAreTaggedWithTheSelectedRowAndReported)
{
    const DropCase& c = GetParam();
    addMemo(u"w"_s, u"work"_s);
    const QStringList dropped{write(u"one.txt"_s, "1"), write(u"two.md"_s, "2"), write(u"three"_s, "3")};
    open();
    chooseCategory(QString::fromUtf8(c.selected));
    const auto data = fileList(dropped);

    // Copied, never moved: the file manager keeps the files.
    EXPECT_EQ(drop(c.target(*this), *data), Qt::CopyAction);
    const QString tag = QString::fromUtf8(c.storedTag);
    EXPECT_EQ(prompt.messageTexts(), QStringList{imported(3, tag)});
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].icon, PromptIcon::Information);
    EXPECT_EQ(memoTitlesAndTags(),
              (QStringList{u"one "_s + tag, u"three "_s + tag, u"two "_s + tag, u"w work"_s}));
    EXPECT_EQ(shownCount(u"[ALL]"_s), 4);
    EXPECT_EQ(shownCount(tag), tag == u"work"_s ? 4 : 3);
    for (const QString& file : dropped)
        EXPECT_TRUE(QFile::exists(file));
    expectCountsMatchRecount();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DropTest,
    ::testing::Values(DropCase{"tag row on the memo list", "work", "work",
                               [](ImportCommandsTest& t) -> QWidget* {
                                   return static_cast<DropTest&>(t).memoList()->viewport();
                               }},
                      DropCase{"tag row on the category list", "work", "work",
                               [](ImportCommandsTest& t) -> QWidget* {
                                   return static_cast<DropTest&>(t).catList()->viewport();
                               }},
                      DropCase{"tag row on the window", "work", "work",
                               [](ImportCommandsTest& t) -> QWidget* {
                                   return static_cast<DropTest&>(t).window.get();
                               }},
                      DropCase{"[ALL] row", "[ALL]", "[Import]",
                               [](ImportCommandsTest& t) -> QWidget* {
                                   return static_cast<DropTest&>(t).catList()->viewport();
                               }},
                      DropCase{"[Trash] row", "[Trash]", "[Import]",
                               [](ImportCommandsTest& t) -> QWidget* {
                                   return static_cast<DropTest&>(t).memoList()->viewport();
                               }},
                      DropCase{"[Find] row", "[Find]", "[Import]", [](ImportCommandsTest& t) -> QWidget* {
                                   return static_cast<DropTest&>(t).catList()->viewport();
                               }}));

TEST_F(ImportCommandsTest, DroppedFolderGivesItsTextFilesAtEveryDepth)
{
    write(u"folder/a.txt"_s);
    write(u"folder/b.text"_s);
    write(u"folder/sub/deeper/c.TXT"_s);
    QDir().mkpath(files + u"bare/empty"_s);
    write(u"bare/picture.png"_s);
    prepare();
    open();
    chooseCategory(u"[Import]"_s);

    drop(memoList()->viewport(), *fileList({files + u"folder"_s}));
    EXPECT_EQ(memoTitlesAndTags(), (QStringList{u"a [Import]"_s, u"c [Import]"_s}));
    // A folder without text files, and a drop that is no file list at all.
    drop(memoList()->viewport(), *fileList({files + u"bare"_s}));
    QMimeData text;
    text.setText(u"just text"_s);
    drop(catList()->viewport(), text);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{imported(2, u"[Import]"_s), kNoFiles, kNoFiles}));
    EXPECT_EQ(memos().size(), 2u);
}

TEST_F(ImportCommandsTest, FileDroppedOnTheContentsBoxFillsTheEditingAreaUnsaved)
{
    addMemo(u"w"_s, u"work"_s);
    const QString path = write(u"dir.v2/Draft.note.txt"_s, "line 1\r\nline 2\r\n");
    open();
    chooseCategory(u"work"_s);
    const int memoCount = int(memos().size());

    EXPECT_EQ(drop(contents()->viewport(), *fileList({path, write(u"second.txt"_s)})), Qt::CopyAction);
    EXPECT_TRUE(prompt.messageTexts().isEmpty());
    EXPECT_EQ(title()->text(), u"Draft.note"_s);
    EXPECT_EQ(tags()->text(), u"work"_s);
    EXPECT_EQ(window->editor().boxText(MemoEditor::Box::Contents), u"line 1\nline 2\n"_s);
    EXPECT_EQ(window->editor().storedContents(), u"line 1\r\nline 2\r\n"_s);
    EXPECT_TRUE(window->editor().IsEdit());
    EXPECT_EQ(int(memos().size()), memoCount);

    // With "[ALL]" selected the tag box gets "[Import]".
    chooseCategory(u"[ALL]"_s);
    prompt.answers = {PromptAnswer::No}; // leaving the unsaved memo is not the point here
    drop(contents()->viewport(), *fileList({path}));
    EXPECT_EQ(tags()->text(), u"[Import]"_s);
}

TEST_F(ImportCommandsTest, ContentsBoxLoadsNothingFromAFolderAndStillTakesText)
{
    QDir().mkpath(files + u"folder"_s);
    prepare();
    open();
    drop(contents()->viewport(), *fileList({files + u"folder"_s, write(u"a.txt"_s)}));
    EXPECT_EQ(prompt.messageTexts(), QStringList{kNoObject});
    EXPECT_EQ(window->editor().boxText(MemoEditor::Box::Contents), u""_s);

    QMimeData text;
    text.setText(u"dropped words"_s);
    EXPECT_NE(drop(contents()->viewport(), text), Qt::IgnoreAction);
    EXPECT_EQ(window->editor().boxText(MemoEditor::Box::Contents), u"dropped words"_s);
    EXPECT_EQ(prompt.messageTexts(), QStringList{kNoObject});
}

TEST_F(ImportCommandsTest, DropsWithNeitherFilesNorTextAreToldSo)
{
    prepare();
    open();
    QMimeData picture;
    picture.setData(u"image/png"_s, QByteArray("\x89PNG", 4));
    EXPECT_EQ(drop(memoList()->viewport(), picture), Qt::CopyAction);
    EXPECT_EQ(drop(window.get(), picture), Qt::CopyAction);
    EXPECT_EQ(drop(contents()->viewport(), picture), Qt::CopyAction);
    EXPECT_EQ(prompt.messageTexts(), (QStringList{kNoFiles, kNoFiles, kNoObject}));
    EXPECT_TRUE(memos().empty());
    EXPECT_EQ(window->editor().boxText(MemoEditor::Box::Contents), u""_s);
    EXPECT_FALSE(window->editor().IsEdit());
}

TEST_F(ImportCommandsTest, FilesThatAreNoRegularFilesAreNamedInTheReport)
{
    const QString notAFile = u"1個のファイルは読み込めませんでした。\n\n%1\n(通常のファイルではありません)"_s;
    write(u"folder/a.txt"_s, "a");
    const QString pipe = files + u"folder/pipe.txt"_s;
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    addMemo(u"w"_s, u"work"_s);
    open();
    chooseCategory(u"work"_s);

    // Dropped folder: the text file is imported, the FIFO named.
    drop(memoList()->viewport(), *fileList({files + u"folder"_s}));
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, imported(1, u"work"_s) + u'\n' + notAFile.arg(pipe));
    EXPECT_EQ(prompt.shown[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(memoTitlesAndTags(), (QStringList{u"a work"_s, u"w work"_s}));

    // The contents box loads nothing from it.
    drop(contents()->viewport(), *fileList({pipe}));
    EXPECT_EQ(prompt.shown.last().text, kNoObject + u'\n' + notAFile.arg(pipe));
    EXPECT_EQ(window->editor().boxText(MemoEditor::Box::Contents), u""_s);

    // A device chosen in the file dialog is named alone.
    prompt.files = {{u"/dev/zero"_s}};
    triggerAction("mnuImport");
    EXPECT_EQ(prompt.shown.last().text, notAFile.arg(u"/dev/zero"_s));
    EXPECT_EQ(prompt.shown.last().icon, PromptIcon::Exclamation);
    EXPECT_EQ(memos().size(), 2u);
    expectCountsMatchRecount();
}

TEST_F(ImportCommandsTest, CancelledLongImportKeepsWhatWasImportedAndCountsMatchRecount)
{
    addMemo(u"w"_s, u"work"_s);
    for (int i = 0; i < 400; ++i)
        write(u"many/%1.txt"_s.arg(i), QByteArray::number(i));
    open();
    chooseCategory(u"work"_s);
    cancelProgressAtFirstStep();
    drop(memoList()->viewport(), *fileList({files + u"many"_s}));

    EXPECT_EQ(prompt.messageTexts(), QStringList{kCancelled});
    const int count = int(memos().size()) - 1;
    EXPECT_GE(count, 1);
    EXPECT_LT(count, 400);
    EXPECT_EQ(shownCount(u"work"_s), count + 1);
    EXPECT_EQ(shownCount(u"[ALL]"_s), count + 1);
    expectCountsMatchRecount();
}

} // namespace

TEST_F(ImportCommandsTest, NotesImportedAndExportedAgainKeepEveryByte)
{
    // Notes as other programs leave them: mixed line ends, no final break,
    // blanks at the ends, characters beyond the basic plane, an empty file.
    const QByteArray notes[] = {
        "first\r\nsecond\nthird\rfourth",
        "  indented\t\r\n\r\n",
        "\xE7\xB5\xB5\xE6\x96\x87\xE5\xAD\x97 \xF0\x9F\x98\x80 [!DAY] \"q\", c",
        "",
    };
    for (int i = 0; i < 4; ++i)
        write(u"notes/n%1.txt"_s.arg(i), notes[i]);
    prepare();
    open();
    prompt.files = {{files + u"notes"_s}};
    whenImportDialogShows([](QDialog* dialog) {
        click(dialog, "Btn_OpenFolder");
        click(dialog, "Btn_Import");
    });
    triggerAction("mnuImportFolder");
    ASSERT_EQ(memos().size(), 4u);

    // Exported through the shipped body-only definition, each file is the note
    // as it was and the closing line break every exported file ends with.
    ASSERT_EQ(ExportDefinition::installShipped(home.path()), 3);
    const QString out = home.file(u"out/"_s);
    QDir().mkpath(out);
    ExportRequest request;
    request.folder = out;
    request.definitionPath = home.file(u"本文のみ.ted"_s);
    request.fileNameTemplate = u"[!TITLE]"_s;
    request.dbPath = dbPath();
    request.iniFilePath = iniPath();
    request.userId = u"default"_s;
    const ExportOutcome outcome = ExportMemos(request, prompt, clock);
    EXPECT_EQ(outcome.written, 4);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(MemoFixtures::readBytes(out + u"n%1.txt"_s.arg(i)), notes[i] + "\r\n");
    }
}
