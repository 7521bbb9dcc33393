#include "MainWindowFixture.h"

#include "app/IniFile.h"
#include "app/Startup.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"
#include "tags/CategoryList.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>

void MainWindowFixture::prepare(const QString& settings)
{
    if (!QFile::exists(dbPath()))
        TemplateDatabase::copyTo(home.path(), dbPath());
    if (!settings.isEmpty()) {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
        file.write(settings.toUtf8());
    }
}

qint64 MainWindowFixture::addMemo(const QString& title, const QString& tags, const QString& body,
                                  bool trashed, bool locked)
{
    prepare();
    MemoStore store(dbPath());
    const qint64 id = store.insertMemo(title, body, tags, QStringLiteral("2026/01/01 00:00:00"));
    if (trashed)
        store.writeMemoTrash(id, true);
    if (locked)
        store.writeMemoLock(id, true);
    return id;
}

void MainWindowFixture::open(const QStringList& arguments)
{
    // The window before goes first, as its process would end: it holds the
    // profile's restore file while it lives.
    window.reset();
    StartupResult startup = Startup(prompt, home.path()).run(arguments);
    ASSERT_TRUE(startup.proceed);
    window = std::make_unique<Form1>(std::move(startup), prompt, clock);
    if (!keepWindowSize)
        window->resize(1000, 700);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->finishStartup();
}

QTreeView* MainWindowFixture::catList() const
{
    return window->findChild<QTreeView*>(QStringLiteral("CatList"));
}

QTreeView* MainWindowFixture::memoList() const
{
    return window->findChild<QTreeView*>(QStringLiteral("MemoList"));
}

QLineEdit* MainWindowFixture::title() const
{
    return window->findChild<QLineEdit*>(QStringLiteral("txtTitle"));
}

QLineEdit* MainWindowFixture::tags() const
{
    return window->findChild<QLineEdit*>(QStringLiteral("txtCategory"));
}

QPlainTextEdit* MainWindowFixture::contents() const
{
    return window->findChild<QPlainTextEdit*>(QStringLiteral("txtContents"));
}

QString MainWindowFixture::lblNo() const
{
    return window->findChild<QLabel*>(QStringLiteral("lblNo"))->text();
}

void MainWindowFixture::clickRow(QAbstractItemView* view, int row)
{
    const QModelIndex index = view->model()->index(row, 1);
    view->scrollTo(index);
    const QRect rect = view->visualRect(index);
    ASSERT_TRUE(rect.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void MainWindowFixture::chooseCategory(const QString& name)
{
    QAbstractItemModel* model = catList()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 1).data().toString() == name) {
            clickRow(catList(), row);
            return;
        }
    }
    FAIL() << "no category row " << name.toStdString();
}

void MainWindowFixture::chooseMemo(qint64 id)
{
    QAbstractItemModel* model = memoList()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == QString::number(id)) {
            clickRow(memoList(), row);
            return;
        }
    }
    FAIL() << "no memo row " << id;
}

frmViewer* MainWindowFixture::openFloating(qint64 id)
{
    chooseMemo(id);
    triggerAction("mnuViewer");
    frmViewer* viewer = window->floatingWindows().QueryViewerOpen(id);
    EXPECT_TRUE(viewer) << "memo " << id << " did not open in a floating window";
    return viewer;
}

frmViewer* MainWindowFixture::typeInFloating(qint64 id, const QString& text)
{
    frmViewer* viewer = openFloating(id);
    if (!viewer)
        return nullptr;
    press(viewer, "Edit");
    type(viewer->txtContents(), text);
    return viewer;
}

void MainWindowFixture::press(frmViewer* viewer, const char* key)
{
    QAction* button = viewer->button(key);
    ASSERT_TRUE(button) << key;
    ASSERT_TRUE(button->isEnabled()) << key;
    if (QWidget* widget = viewer->findChild<QToolBar*>()->widgetForAction(button))
        QTest::mouseClick(widget, Qt::LeftButton);
    else
        button->trigger();
}

void MainWindowFixture::triggerAction(const char* name)
{
    auto* action = window->findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_TRUE(action) << name;
    ASSERT_TRUE(action->isEnabled()) << name;
    action->trigger();
}

void MainWindowFixture::type(QWidget* box, const QString& text)
{
    box->setFocus();
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(box, ch.toLatin1());
        } else {
            // Characters without a key of their own arrive as text, as from an input method.
            QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
}

void MainWindowFixture::selectMemos(const QList<qint64>& ids)
{
    QAbstractItemModel* model = memoList()->model();
    bool first = true;
    for (qint64 id : ids) {
        int found = -1;
        for (int row = 0; row < model->rowCount() && found < 0; ++row)
            if (model->index(row, 0).data().toString() == QString::number(id))
                found = row;
        ASSERT_GE(found, 0) << "no memo row " << id;
        const QModelIndex index = model->index(found, 1);
        memoList()->scrollTo(index);
        QTest::mouseClick(memoList()->viewport(), Qt::LeftButton,
                          first ? Qt::NoModifier : Qt::ControlModifier,
                          memoList()->visualRect(index).center());
        first = false;
    }
}

QStringList MainWindowFixture::recountedCategoryRows()
{
    window->LoadCategoryCounts();
    window->CatList_Add();
    // The rebuild empties the memo list; the user's view comes back.
    window->FillMemoList();
    return categoryRows();
}

QStringList MainWindowFixture::countsByName(const QStringList& rows)
{
    QStringList counts;
    for (const QString& row : rows) {
        const bool pseudo = row.section(u' ', 0, 0).toInt() <= TagTable::ImportRowId;
        if (pseudo || !row.endsWith(QStringLiteral(" 0")))
            counts.append(row.section(u' ', 1));
    }
    counts.sort();
    return counts;
}

void MainWindowFixture::cancelProgressAtFirstStep()
{
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName() == QStringLiteral("frmProgress") && top->isVisible()) {
                auto* cancel = top->findChild<QAbstractButton*>(QStringLiteral("cmdCancel"));
                ASSERT_TRUE(cancel);
                QTest::mouseClick(cancel, Qt::LeftButton);
                return;
            }
        }
        ADD_FAILURE() << "no progress window to cancel";
    });
}

QStringList MainWindowFixture::categoryRows() const
{
    QStringList rows;
    QAbstractItemModel* model = catList()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(QStringLiteral("%1 %2 %3")
                        .arg(model->index(row, 0).data().toString(), model->index(row, 1).data().toString(),
                             model->index(row, 2).data().toString()));
    return rows;
}

QList<qint64> MainWindowFixture::memoRowIds() const
{
    QList<qint64> ids;
    QAbstractItemModel* model = memoList()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        ids.append(model->index(row, 0).data().toString().toLongLong());
    return ids;
}

QStringList MainWindowFixture::memoRowTexts(int column) const
{
    QStringList texts;
    QAbstractItemModel* model = memoList()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, column).data().toString());
    return texts;
}
