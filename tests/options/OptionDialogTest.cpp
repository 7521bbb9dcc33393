// The options dialog on a real main window: its pages found by control name,
// what OK, Apply and Cancel write into the settings file, and what reaches
// the main window and an open floating window.
#include "MainWindowFixture.h"
#include "app/IniFile.h"
#include "app/Settings.h"
#include "editing/MemoEditor.h"
#include "editing/PasswordScrambler.h"
#include "exchange/EditorTable.h"
#include "options/frmOption.h"
#include "store/MemoStore.h"
#include "ui/FloatingWindows.h"
#include "ui/frmViewer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

using namespace Qt::Literals::StringLiterals;

const QString kUnstorablePassword =
    u"このパスワードには保存できない文字が含まれているため、設定できません。\n"
    u"別のパスワードを入力してください。"_s;

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The colour of a 0x00BBGGRR value.
QColor rgb(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// Saves a picture of a dialog when QUILLET_SHOTS names a folder.
void shoot(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUILLET_SHOTS");
    if (!folder.isEmpty())
        widget->grab().save(folder + QLatin1Char('/') + name);
}

class OptionDialogTest : public MainWindowFixture
{
protected:
    std::unique_ptr<frmOption> dialog;

    void openDialog()
    {
        dialog = std::make_unique<frmOption>(*window);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <typename T = QWidget> T* control(const char* name) const
    {
        T* found = dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(found) << name;
        return found;
    }

    // A check box takes clicks on its box and text only, so it is clicked near its left edge.
    void click(const char* name)
    {
        auto* button = control<QAbstractButton>(name);
        const QPoint at =
            qobject_cast<QCheckBox*>(button) ? QPoint(6, button->height() / 2) : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
    }

    void showTab(int index) { control<QTabBar>("TabStrip1")->setCurrentIndex(index); }

    QString ini(const char* section, const char* key) const
    {
        return IniFile::readText(iniPath(), QString::fromLatin1(section), QString::fromLatin1(key),
                                 u"(none)"_s);
    }

    // Clicks font rows as the user does: the first plainly, the others with Ctrl.
    void selectFontRows(const QList<int>& rows)
    {
        auto* list = control<QTreeWidget>("ListViewFont");
        for (int i = 0; i < rows.size(); ++i) {
            const QRect rect = list->visualItemRect(list->topLevelItem(rows[i]));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, i == 0 ? Qt::NoModifier : Qt::ControlModifier,
                              rect.center());
        }
    }

    void setFontFields(const QString& font, const QString& size)
    {
        control<QComboBox>("cmbFontList")->setCurrentText(font);
        auto* sizeBox = control<QLineEdit>("txtFontSize");
        sizeBox->selectAll();
        type(sizeBox, size);
    }

    QStringList fontRow(int row) const
    {
        QTreeWidgetItem* item = control<QTreeWidget>("ListViewFont")->topLevelItem(row);
        return {item->text(0), item->text(1), item->text(2)};
    }

    // Clicks a sample object of the colour page.
    void clickSample(const char* name)
    {
        QWidget* sample = control(name);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(sample))
            sample = area->viewport();
        QTest::mouseClick(sample, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    }

    // Presses a system colour button and, in the dialog it opens, chooses
    // `name` and OK (or closes it when `name` is empty).
    void chooseSystemColour(const char* button, const QString& name)
    {
        bool answered = false;
        QTimer::singleShot(0, dialog.get(), [&] {
            QWidget* systemDialog = QApplication::activeModalWidget();
            ASSERT_TRUE(systemDialog);
            ASSERT_EQ(systemDialog->objectName(), u"frmDlgSystemColor"_s);
            if (!name.isEmpty()) {
                auto* list = systemDialog->findChild<QListWidget*>(u"ColorList"_s);
                ASSERT_EQ(list->count(), 25);
                const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
                ASSERT_EQ(found.size(), 1);
                list->setCurrentItem(found.first());
                EXPECT_EQ(systemDialog->findChild<QLabel*>(u"LblSelectedSysColor"_s)->text(), name);
                QTest::mouseClick(systemDialog->findChild<QPushButton*>(u"Btn_OK"_s), Qt::LeftButton);
            } else {
                QTest::mouseClick(systemDialog->findChild<QPushButton*>(u"Btn_Close"_s), Qt::LeftButton);
            }
            answered = true;
        });
        click(button);
        EXPECT_TRUE(answered);
    }

    // The text and background colours a sample object shows.
    std::pair<QColor, QColor> sampleColours(const char* name) const
    {
        QWidget* sample = control(name);
        if (QString::fromLatin1(name) == u"picForm"_s || QString::fromLatin1(name) == u"lblNo"_s)
            return {sample->palette().color(QPalette::WindowText), sample->palette().color(QPalette::Window)};
        return {sample->palette().color(QPalette::Text), sample->palette().color(QPalette::Base)};
    }
};

TEST_F(OptionDialogTest, EveryPageAndControlIsNamedAndTheTabsShowOnePageAtATime)
{
    open();
    openDialog();
    auto* tabs = control<QTabBar>("TabStrip1");
    ASSERT_EQ(tabs->count(), 5);
    const QStringList captions{u"フォント設定"_s, u"色設定"_s, u"機能設定"_s, u"セキュリティ"_s,
                               u"外部エディタ"_s};
    const QStringList keys{u"Font"_s, u"Color"_s, u"General"_s, u"Security"_s, u"Editor"_s};
    for (int index = 0; index < 5; ++index) {
        EXPECT_EQ(tabs->tabText(index), captions[index]);
        EXPECT_EQ(tabs->tabData(index).toString(), keys[index]);
    }
    tabs->setCurrentIndex(3);
    for (int index = 0; index < 5; ++index) {
        QWidget* page = control(QStringLiteral("Picture1_%1").arg(index).toLatin1().constData());
        EXPECT_EQ(page->isVisible(), index == 3) << index;
        EXPECT_EQ(page->isEnabled(), index == 3) << index;
    }
    // Every control carries its name and a Japanese accessible name.
    for (const char* name : {"ListViewFont",
                             "cmbFontList",
                             "txtFontSize",
                             "txtFontSizeUpDown",
                             "FontSample",
                             "Btn_FontSet",
                             "picForm",
                             "lblNo",
                             "CatList",
                             "MemoList",
                             "txtTitle",
                             "txtCategory",
                             "txtContents",
                             "ColorDetail",
                             "picFontColor",
                             "picBackColor",
                             "ColorSample",
                             "BtnFontColor",
                             "BtnBackColor",
                             "BtnSysFontColor",
                             "BtnSysBackColor",
                             "chkApplyColorAll",
                             "Btn_ApplyColor",
                             "chkMemoChengeAutoSave",
                             "chkMemoSaveAutoTitle",
                             "chkIsTrash",
                             "cmbFocus",
                             "txtSecurityPass",
                             "picSecurityColor",
                             "BtnFontColorSecurity",
                             "BtnSysFontColorSecurity",
                             "cmbEditorSelect",
                             "txtEditorName",
                             "txtEditorFilePath",
                             "Btn_EditorFilePath",
                             "chkDefaultEditor",
                             "Btn_OK",
                             "Btn_Apply",
                             "Btn_Cancel"}) {
        QWidget* widget = control(name);
        ASSERT_TRUE(widget);
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
    }
}

TEST_F(OptionDialogTest, AFontSetOnSeveralRowsReachesThoseAreasOnly)
{
    prepare(u"[MemoTitle]\nFont=Title Font\nFontSize=11\n"_s);
    open();
    QWidget* mainCatList = catList();
    QWidget* mainMemoList = memoList();
    QWidget* mainTitle = title();
    openDialog();
    EXPECT_EQ(fontRow(2), (QStringList{u"Memo - Title"_s, u"Title Font"_s, u"11"_s}));
    EXPECT_EQ(fontRow(1), (QStringList{u"MemoList"_s, u"ＭＳ Ｐゴシック"_s, u"9"_s}));

    // Choosing a row copies its font into the fields and the preview.
    selectFontRows({2});
    EXPECT_EQ(control<QComboBox>("cmbFontList")->currentText(), u"Title Font"_s);
    EXPECT_EQ(control<QLineEdit>("txtFontSize")->text(), u"11"_s);
    EXPECT_EQ(control("FontSample")->font().family(), u"Title Font"_s);
    EXPECT_EQ(control("FontSample")->font().pointSizeF(), 11);

    selectFontRows({0, 1});
    setFontFields(u"List Font"_s, u"13"_s);
    click("txtFontSizeUp");
    EXPECT_EQ(control<QLineEdit>("txtFontSize")->text(), u"14"_s);
    EXPECT_EQ(control("FontSample")->font().pointSizeF(), 14);
    click("Btn_FontSet");
    EXPECT_EQ(fontRow(0), (QStringList{u"CategoryList"_s, u"List Font"_s, u"14"_s}));
    EXPECT_EQ(fontRow(1), (QStringList{u"MemoList"_s, u"List Font"_s, u"14"_s}));
    EXPECT_EQ(fontRow(2), (QStringList{u"Memo - Title"_s, u"Title Font"_s, u"11"_s}));
    // Nothing reaches the window before saving.
    EXPECT_NE(mainCatList->font().family(), u"List Font"_s);

    click("Btn_Apply");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ini("CatList", "Font"), u"List Font"_s);
    EXPECT_EQ(ini("CatList", "FontSize"), u"14"_s);
    EXPECT_EQ(ini("MemoList", "Font"), u"List Font"_s);
    EXPECT_EQ(ini("MemoTitle", "Font"), u"Title Font"_s);
    EXPECT_EQ(ini("MemoTag", "Font"), u"ＭＳ Ｐゴシック"_s);
    for (QWidget* list : {mainCatList, mainMemoList}) {
        EXPECT_EQ(list->font().family(), u"List Font"_s);
        EXPECT_EQ(list->font().pointSizeF(), 14);
    }
    EXPECT_EQ(mainTitle->font().family(), u"Title Font"_s);
}

// A typed size is taken as the up-down buttons take it: a number from 1 to
// 999, full-width digits counting as digits. Anything larger would leave an
// area without a visible line.
TEST_F(OptionDialogTest, TypedFontSizesAreTakenOnlyWithinTheUpDownRange)
{
    const QString refused = u"フォントサイズは1から999までの数値で入力してください。"_s;
    const struct
    {
        QString typed;
        QString row; // empty: refused, the row keeps its size
    } cases[] = {
        {u"1e4"_s, {}},
        {u"5000"_s, {}},
        {u"1000"_s, {}},
        {u"0"_s, {}},
        {u"-3"_s, {}},
        {u"１０００"_s, {}},
        {u"１６"_s, u"16"_s},
        {u"１２．５"_s, u"12.5"_s},
        {u" 999 "_s, u"999"_s},
        {u"1"_s, u"1"_s},
        // Not a number: kept as typed, and read back as the area's default size.
        {u"big"_s, u"big"_s},
    };
    open();
    openDialog();
    selectFontRows({0});
    auto* sizeBox = control<QLineEdit>("txtFontSize");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const QString before = fontRow(0).at(2);
        prompt.shown.clear();
        setFontFields(u"List Font"_s, c.typed);
        click("Btn_FontSet");
        if (c.row.isEmpty()) {
            EXPECT_EQ(prompt.messageTexts(), QStringList{refused});
            EXPECT_EQ(prompt.shown.value(0).icon, PromptIcon::Exclamation);
            EXPECT_EQ(fontRow(0).at(2), before);
            EXPECT_EQ(dialog->focusWidget(), sizeBox);
            EXPECT_EQ(sizeBox->selectedText(), sizeBox->text());
        } else {
            EXPECT_TRUE(prompt.shown.isEmpty());
            EXPECT_EQ(fontRow(0).at(2), c.row);
        }
    }

    // What the window gets: the last number taken, never one refused.
    setFontFields(u"List Font"_s, u"１６"_s);
    click("Btn_FontSet");
    setFontFields(u"List Font"_s, u"1e4"_s);
    click("Btn_FontSet");
    click("Btn_Apply");
    EXPECT_EQ(ini("CatList", "FontSize"), u"16"_s);
    EXPECT_EQ(catList()->font().pointSizeF(), 16);
    // The up-down buttons step from a full-width size too.
    setFontFields(u"List Font"_s, u"１６"_s);
    click("txtFontSizeUp");
    EXPECT_EQ(sizeBox->text(), u"17"_s);
}

// Whatever size is typed, the dialog keeps its size and its buttons; the
// sample is shown at its real size in a box that scrolls.
TEST_F(OptionDialogTest, ThePreviewNeverChangesTheDialogsSize)
{
    open();
    openDialog();
    selectFontRows({0});
    const QSize size = dialog->size();
    auto* sample = control<QLabel>("FontSample");
    for (const QString& typed : {u"72"_s, u"999"_s, u"5000"_s, u"9"_s}) {
        SCOPED_TRACE(typed.toStdString());
        setFontFields(u"Sans"_s, typed);
        QApplication::processEvents();
        EXPECT_EQ(dialog->size(), size);
        EXPECT_LE(dialog->minimumSizeHint().width(), size.width());
        for (const char* button : {"Btn_OK", "Btn_Apply", "Btn_Cancel", "Btn_FontSet"}) {
            QWidget* widget = control(button);
            EXPECT_TRUE(
                dialog->rect().contains(QRect(widget->mapTo(dialog.get(), QPoint(0, 0)), widget->size())))
                << button;
        }
        // The whole sample is there to scroll to, at the size it is shown in.
        EXPECT_GE(sample->width(), sample->sizeHint().width());
        EXPECT_GE(sample->height(), sample->sizeHint().height());
        if (typed != u"5000"_s) {
            EXPECT_EQ(sample->font().pointSizeF(), typed.toDouble());
        }
        shoot(dialog.get(), u"options-font-%1.png"_s.arg(typed));
    }
}

// Enter in the font name or size sets them on the selected rows; the dialog
// stays open and nothing is saved yet.
TEST_F(OptionDialogTest, EnterInTheFontFieldsSetsTheSelectedRows)
{
    open();
    openDialog();
    const QString savedBefore = ini("MemoList", "FontSize");
    for (const char* field : {"txtFontSize", "cmbFontList"}) {
        SCOPED_TRACE(field);
        selectFontRows({1});
        const QString font = QString::fromLatin1(field) + u" Font"_s;
        setFontFields(font, u"15"_s);
        QWidget* box = control(field);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_NE(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(fontRow(1), (QStringList{u"MemoList"_s, font, u"15"_s}));
    }
    EXPECT_EQ(ini("MemoList", "FontSize"), savedBefore);
    EXPECT_TRUE(prompt.shown.isEmpty());
    // A refused size is told about, and Enter still does not close the dialog.
    setFontFields(u"Sans"_s, u"5000"_s);
    QTest::keyClick(control("txtFontSize"), Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(prompt.shown.size(), 1);
}

TEST_F(OptionDialogTest, ApplyColourGivesBothColoursToTheClickedObjectOrToAll)
{
    const struct
    {
        bool all;
        QStringList coloured;
    } cases[] = {
        {false, {u"txtCategory"_s}},
        {true,
         {u"picForm"_s, u"lblNo"_s, u"CatList"_s, u"MemoList"_s, u"txtTitle"_s, u"txtCategory"_s,
          u"txtContents"_s}},
    };
    open();
    QWidget* mainTitle = title();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.all ? "all objects" : "the clicked object");
        openDialog();
        showTab(1);
        clickSample("txtTitle");
        clickSample("txtCategory");
        EXPECT_EQ(control<QGroupBox>("ColorDetail")->title(), u"Selected Object[Memo - TAG]"_s);
        prompt.colours = {0x0000FFu, std::nullopt, 0x00FF00u};
        click("BtnFontColor");
        const QColor shown = control("picBackColor")->palette().color(QPalette::Window);
        click("BtnBackColor"); // cancelled: the swatch keeps its colour
        EXPECT_EQ(control("picBackColor")->palette().color(QPalette::Window), shown);
        click("BtnBackColor");
        EXPECT_EQ(control("picFontColor")->palette().color(QPalette::Window), rgb(0x0000FF));
        EXPECT_EQ(control("ColorSample")->palette().color(QPalette::WindowText), rgb(0x0000FF));
        EXPECT_EQ(control("ColorSample")->palette().color(QPalette::Window), rgb(0x00FF00));
        if (c.all)
            click("chkApplyColorAll");
        click("Btn_ApplyColor");
        for (const char* name :
             {"picForm", "lblNo", "CatList", "MemoList", "txtTitle", "txtCategory", "txtContents"}) {
            const bool coloured = c.coloured.contains(QString::fromLatin1(name));
            const auto [text, back] = sampleColours(name);
            EXPECT_EQ(text == rgb(0x0000FF) && back == rgb(0x00FF00), coloured) << name;
        }
        // Nothing reaches the window before saving.
        EXPECT_NE(mainTitle->palette().color(QPalette::Base), rgb(0x00FF00));
        click("Btn_OK");
        EXPECT_FALSE(dialog->isVisible());
        for (const char* section : {"Form", "CatList", "MemoList", "MemoTitle", "MemoTag", "Contents"}) {
            const bool coloured = c.all || QString::fromLatin1(section) == u"MemoTag"_s;
            EXPECT_EQ(ini(section, "FontColor") == u"FF"_s && ini(section, "BackColor") == u"FF00"_s,
                      coloured)
                << section;
        }
        EXPECT_EQ(mainTitle->palette().color(QPalette::Base), c.all ? rgb(0x00FF00) : rgb(0xFFFFFF));
        EXPECT_EQ(prompt.shown.size(), 3);
        prompt.shown.clear();
        dialog.reset();
    }
}

TEST_F(OptionDialogTest, ButtonFaceChosenAsSystemColourIsStoredAs8000000F)
{
    open();
    openDialog();
    showTab(1);
    clickSample("MemoList");
    EXPECT_EQ(control<QGroupBox>("ColorDetail")->title(), u"Selected Object[MemoList]"_s);
    chooseSystemColour("BtnSysBackColor", {}); // closed: nothing changes
    EXPECT_EQ(control("picBackColor")->palette().color(QPalette::Window), rgb(0xFFFFFF));
    chooseSystemColour("BtnSysBackColor", u"ボタンの表面"_s);
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    EXPECT_EQ(control("picBackColor")->palette().color(QPalette::Window), buttonFace);
    EXPECT_EQ(control("ColorSample")->palette().color(QPalette::Window), buttonFace);
    chooseSystemColour("BtnSysFontColor", u"ボタンの文字"_s);
    click("Btn_ApplyColor");
    click("Btn_OK");
    EXPECT_EQ(ini("MemoList", "BackColor"), u"8000000F"_s);
    EXPECT_EQ(ini("MemoList", "FontColor"), u"80000012"_s);
    EXPECT_EQ(memoList()->palette().color(QPalette::Base), buttonFace);

    // The security colour takes a system colour the same way.
    openDialog();
    showTab(3);
    chooseSystemColour("BtnSysFontColorSecurity", u"強調表示"_s);
    click("Btn_OK");
    EXPECT_EQ(ini("Security", "MemoColor"), u"8000000D"_s);
}

TEST_F(OptionDialogTest, EditorEntriesKeepTheirEditsAndOneDefaultMarkAcrossSwitching)
{
    prepare(u"[OuterEditor]\nName_1=one\nPath_1=/bin/one\nDefault_1=1\nName_2=two\nDefault_2=1\n"_s);
    open();
    openDialog();
    showTab(4);
    auto* select = control<QComboBox>("cmbEditorSelect");
    auto* name = control<QLineEdit>("txtEditorName");
    auto* path = control<QLineEdit>("txtEditorFilePath");
    auto* isDefault = control<QCheckBox>("chkDefaultEditor");
    EXPECT_EQ(select->count(), 4);
    EXPECT_EQ(select->itemText(0), u"規定のエディタ"_s);

    // Entry 0: its fixed name, no path, boxes greyed.
    EXPECT_EQ(name->text(), u"規定のエディタ"_s);
    EXPECT_EQ(path->text(), QString());
    EXPECT_FALSE(name->isEnabled());
    EXPECT_FALSE(control("Btn_EditorFilePath")->isEnabled());
    EXPECT_EQ(name->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));

    select->setCurrentIndex(2);
    EXPECT_TRUE(name->isEnabled());
    EXPECT_EQ(name->text(), u"two"_s);
    EXPECT_TRUE(isDefault->isChecked());
    name->selectAll();
    type(name, u"kate"_s);
    type(path, u"/usr/bin/kate -b"_s);
    select->setCurrentIndex(3);
    EXPECT_EQ(name->text(), u"エディタ3"_s);
    EXPECT_FALSE(isDefault->isChecked());
    select->setCurrentIndex(2);
    EXPECT_EQ(name->text(), u"kate"_s);
    EXPECT_EQ(path->text(), u"/usr/bin/kate -b"_s);

    select->setCurrentIndex(3);
    click("chkDefaultEditor");
    EXPECT_TRUE(isDefault->isChecked());
    // Browsing the entries shows their marks and changes none.
    for (int index : {1, 2, 0, 3})
        select->setCurrentIndex(index);
    EXPECT_TRUE(isDefault->isChecked());
    select->setCurrentIndex(1);
    EXPECT_FALSE(isDefault->isChecked());
    select->setCurrentIndex(2);
    EXPECT_FALSE(isDefault->isChecked());

    click("Btn_Apply");
    EXPECT_EQ(ini("OuterEditor", "Name_2"), u"kate"_s);
    EXPECT_EQ(ini("OuterEditor", "Path_2"), u"/usr/bin/kate -b"_s);
    EXPECT_EQ(ini("OuterEditor", "Path_1"), u"/bin/one"_s);
    EXPECT_EQ(ini("OuterEditor", "Default_0"), u"0"_s);
    EXPECT_EQ(ini("OuterEditor", "Default_1"), u"0"_s);
    EXPECT_EQ(ini("OuterEditor", "Default_2"), u"0"_s);
    EXPECT_EQ(ini("OuterEditor", "Default_3"), u"1"_s);
    // The main window's editor table and menus follow at once.
    EXPECT_EQ(window->editorTable().defaultIndex(), 3);
    EXPECT_EQ(window->editorTable().entry(2).name, u"kate"_s);
    EXPECT_EQ(window->commandAction("mnuEditor2")->text(), u"kateで開く"_s);

    // Clearing the only mark makes the desktop's application the default again.
    select->setCurrentIndex(3);
    click("chkDefaultEditor");
    click("Btn_OK");
    EXPECT_EQ(ini("OuterEditor", "Default_3"), u"0"_s);
    EXPECT_EQ(window->editorTable().defaultIndex(), 0);
}

TEST_F(OptionDialogTest, AnEditorPresetFillsThePathWithItsWaitOption)
{
    // A stand-in gedit on PATH, so that the preset counts as installed.
    QTemporaryDir bin;
    const QString program = bin.filePath(u"gedit"_s);
    {
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexit 0\n");
    }
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ":" + path);
    open();
    openDialog();
    showTab(4);
    control<QComboBox>("cmbEditorSelect")->setCurrentIndex(1);
    auto* presets = control<QComboBox>("cmbEditorPreset");
    const int gedit = presets->findText(u"gedit（gedit --wait）"_s);
    ASSERT_GT(gedit, 0);
    // A preset that is not installed is listed but cannot be chosen.
    const int kate = presets->findText(u"Kate（未インストール）"_s);
    if (kate > 0) {
        auto* model = presets->model();
        EXPECT_FALSE(model->flags(model->index(kate, 0)).testFlag(Qt::ItemIsEnabled));
    }
    presets->setCurrentIndex(gedit);
    Q_EMIT presets->activated(gedit);
    EXPECT_EQ(control<QLineEdit>("txtEditorFilePath")->text(), program + u" --wait"_s);
    EXPECT_EQ(control<QLineEdit>("txtEditorName")->text(), u"gedit"_s);
    qputenv("PATH", path);
    click("Btn_OK");
    EXPECT_EQ(ini("OuterEditor", "Path_1"), program + u" --wait"_s);
    EXPECT_EQ(ini("OuterEditor", "Name_1"), u"gedit"_s);
}

// Programs often have no extension: every filter the browse button offers
// lists them as well as names with a dot.
TEST_F(OptionDialogTest, EditorBrowseListsEveryFile)
{
    QTemporaryDir folder;
    for (const char* name : {"gedit", "notes.txt"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    open();
    openDialog();
    showTab(4);
    control<QComboBox>("cmbEditorSelect")->setCurrentIndex(1);
    prompt.files = {{folder.filePath(u"gedit"_s)}};
    click("Btn_EditorFilePath");
    EXPECT_EQ(control<QLineEdit>("txtEditorFilePath")->text(), folder.filePath(u"gedit"_s));

    const QStringList filters = prompt.lastFileRequest.filter.split(u";;"_s);
    EXPECT_EQ(filters.size(), 1);
    static const QRegularExpression patterns(u"\\(([^()]*)\\)$"_s);
    for (const QString& filter : filters) {
        const QRegularExpressionMatch match = patterns.match(filter);
        ASSERT_TRUE(match.hasMatch()) << filter.toStdString();
        EXPECT_EQ(QDir(folder.path()).entryList(match.captured(1).split(u' '), QDir::Files),
                  (QStringList{u"gedit"_s, u"notes.txt"_s}))
            << filter.toStdString();
    }
}

TEST_F(OptionDialogTest, GeneralSwitchesAreWrittenAndHeldByTheWindow)
{
    prepare(u"[General]\nIsTrash=0\nFocus=1\n"_s);
    open();
    // Switched on in this session; the options leave it as it is.
    QAction* onTop = window->commandAction("AlwaysOnTop");
    ASSERT_FALSE(onTop->isChecked());
    onTop->trigger();
    openDialog();
    showTab(2);
    EXPECT_TRUE(control<QCheckBox>("chkMemoChengeAutoSave")->isChecked());
    EXPECT_EQ(control<QComboBox>("cmbFocus")->currentText(), u"タグ"_s);
    click("chkIsTrash");
    click("chkMemoChengeAutoSave");
    control<QComboBox>("cmbFocus")->setCurrentIndex(2);
    click("Btn_OK");
    EXPECT_EQ(ini("General", "IsTrash"), u"1"_s);
    EXPECT_EQ(ini("General", "MemoChangeAutoSave"), u"0"_s);
    EXPECT_EQ(ini("General", "MemoSaveAutoTitle"), u"0"_s);
    EXPECT_EQ(ini("General", "Focus"), u"2"_s);
    EXPECT_EQ(window->IsTrashSetting(), 1);
    EXPECT_TRUE(onTop->isChecked());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(OptionDialogTest, ApplyThenCancelKeepsWhatApplyWroteAndDropsLaterEdits)
{
    open();
    QWidget* mainContents = contents();
    openDialog();
    selectFontRows({4});
    setFontFields(u"Applied Font"_s, u"12"_s);
    click("Btn_FontSet");
    click("Btn_Apply");
    const QByteArray applied = bytesOf(iniPath());

    selectFontRows({4});
    setFontFields(u"Dropped Font"_s, u"20"_s);
    click("Btn_FontSet");
    showTab(2);
    click("chkIsTrash");
    showTab(3);
    type(control("txtSecurityPass"), u"dropped"_s);
    click("Btn_Cancel");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(bytesOf(iniPath()), applied);
    EXPECT_EQ(ini("Contents", "Font"), u"Applied Font"_s);
    EXPECT_EQ(mainContents->font().family(), u"Applied Font"_s);
    EXPECT_EQ(window->IsTrashSetting(), 0);
    EXPECT_EQ(window->editor().securityPassword(), std::optional<QString>(QString()));
}

TEST_F(OptionDialogTest, CancelChangesNeitherTheSettingsFileNorTheWindow)
{
    prepare(u"; kept as it is\n[CatList]\nFont=Kept Font\nFontSize=10\n[General]\nIsTrash=0\n"_s);
    open();
    const QByteArray before = bytesOf(iniPath());
    QWidget* mainCatList = catList();
    const QFont font = mainCatList->font();
    const QPalette palette = mainCatList->palette();

    // Through the menu command, as the user opens it.
    bool cancelled = false;
    QTimer::singleShot(0, window.get(), [&] {
        auto* options = qobject_cast<frmOption*>(QApplication::activeModalWidget());
        ASSERT_TRUE(options);
        dialog.reset(options);
        selectFontRows({0});
        setFontFields(u"Changed Font"_s, u"30"_s);
        click("Btn_FontSet");
        showTab(1);
        clickSample("CatList");
        click("chkApplyColorAll");
        prompt.colours = {0x123456u};
        click("BtnBackColor");
        click("Btn_ApplyColor");
        showTab(2);
        click("chkIsTrash");
        showTab(3);
        type(control("txtSecurityPass"), u"secret"_s);
        showTab(4);
        control<QComboBox>("cmbEditorSelect")->setCurrentIndex(1);
        type(control("txtEditorName"), u"x"_s);
        click("chkDefaultEditor");
        click("Btn_Cancel");
        (void)dialog.release(); // the command owns the dialog
        cancelled = true;
    });
    triggerAction("mnuOption");
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(bytesOf(iniPath()), before);
    EXPECT_EQ(mainCatList->font(), font);
    EXPECT_EQ(mainCatList->palette().color(QPalette::Base), palette.color(QPalette::Base));
    EXPECT_EQ(window->IsTrashSetting(), 0);
    EXPECT_EQ(window->editorTable().entry(1).name, u"エディタ1"_s);
    EXPECT_EQ(MemoStore(dbPath()).readIsMemoPass(), false);
}

TEST_F(OptionDialogTest, APasswordWithQuotesAndBlanksReadsBackIdentical)
{
    const QStringList passwords{u"\"quoted\""_s, u"'single'"_s, u"  lead"_s,    u"trail  "_s,
                                u"\" both \""_s, u"a\"b'c d"_s, u"ｐａｓｓ　"_s};
    open();
    for (const QString& password : passwords) {
        SCOPED_TRACE(password.toStdString());
        openDialog();
        showTab(3);
        auto* box = control<QLineEdit>("txtSecurityPass");
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);
        box->selectAll();
        type(box, password);
        ASSERT_EQ(box->text(), password);
        click("Btn_OK");
        EXPECT_TRUE(prompt.shown.isEmpty());
        EXPECT_EQ(DecodePassword(window->settings().read(Settings::Security::Password)), password);
        EXPECT_EQ(window->editor().securityPassword(), std::optional<QString>(password));
        MemoStore store(dbPath());
        EXPECT_TRUE(store.readIsMemoPass());
        EXPECT_EQ(DecodePassword(store.readDatabasePasswordScrambled()), password);
        // A new dialog shows it again as it was typed.
        openDialog();
        EXPECT_EQ(control<QLineEdit>("txtSecurityPass")->text(), password);
        dialog.reset();
    }
}

TEST_F(OptionDialogTest, AnUnstorablePasswordIsRefusedAndNothingIsWritten)
{
    prepare(u"[Security]\nPassword=dcb\n"_s);
    open();
    const QByteArray before = bytesOf(iniPath());
    openDialog();
    selectFontRows({0});
    setFontFields(u"Not Written"_s, u"12"_s);
    click("Btn_FontSet");
    showTab(3);
    auto* box = control<QLineEdit>("txtSecurityPass");
    EXPECT_EQ(box->text(), u"abc"_s);
    box->selectAll();
    type(box, u"pass"_s);
    // A character outside the basic plane arrives whole, as from an input method.
    QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, u"😀"_s, Qt::NoModifier);
    ASSERT_EQ(box->text(), u"pass😀"_s);
    click("Btn_OK");
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].icon, PromptIcon::Critical);
    EXPECT_EQ(prompt.messageTexts(), QStringList{kUnstorablePassword});
    EXPECT_EQ(bytesOf(iniPath()), before);
    EXPECT_EQ(window->editor().securityPassword(), std::optional<QString>(u"abc"_s));
    EXPECT_NE(catList()->font().family(), u"Not Written"_s);
}

TEST_F(OptionDialogTest, ApplyReachesAnOpenFloatingWindow)
{
    const qint64 id = addMemo(u"floating"_s, u"tag"_s, u"line one\r\nline two"_s);
    open();
    chooseCategory(u"tag"_s);
    chooseMemo(id);
    triggerAction("mnuViewer");
    frmViewer* viewer = window->floatingWindows().QueryViewerOpen(id);
    ASSERT_TRUE(viewer);
    QTextCursor caret = viewer->txtContents()->textCursor();
    caret.setPosition(6);
    viewer->txtContents()->setTextCursor(caret);

    openDialog();
    selectFontRows({5});
    setFontFields(u"Floating Font"_s, u"15"_s);
    click("Btn_FontSet");
    showTab(1);
    clickSample("txtContents");
    prompt.colours = {0x0000FFu, 0x00FFFFu};
    click("BtnFontColor");
    click("BtnBackColor");
    click("Btn_ApplyColor");
    click("Btn_Apply");

    QPlainTextEdit* box = viewer->txtContents();
    EXPECT_EQ(box->font().family(), u"Floating Font"_s);
    EXPECT_EQ(box->font().pointSizeF(), 15);
    EXPECT_EQ(box->palette().color(QPalette::Text), rgb(0x0000FF));
    EXPECT_EQ(box->palette().color(QPalette::Base), rgb(0x00FFFF));
    EXPECT_EQ(box->textCursor().position(), 6);
    EXPECT_EQ(ini("FloatingMemo", "Font"), u"Floating Font"_s);
    EXPECT_EQ(window->floatingMemoFontSize(), 15);
}

} // namespace
