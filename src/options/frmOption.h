#pragma once

#include "options/OptionSettings.h"

#include <QDialog>

class Form1;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTabBar;
class QTreeWidget;

// The options dialog: fonts and colours of the main window's areas and of the
// floating memo windows, the behaviour switches, the security password and
// its memo colour, and the external editors. Reads the settings when it is
// built; OK and Apply write them all and apply them at once to the main
// window and every open floating window; Cancel writes nothing.
class frmOption : public QDialog
{
    Q_OBJECT
public:
    explicit frmOption(Form1& window);

    // OK and Apply: writes every setting and applies it. False, after telling
    // the user, when something could not be stored; the dialog then stays open.
    bool save();

    const OptionSettings& options() const { return m_options; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildFontPage();
    QWidget* buildColourPage();
    QWidget* buildGeneralPage();
    QWidget* buildSecurityPage();
    QWidget* buildEditorPage();
    void showPage(int index);

    void fillFontRows();
    void chooseFontRow();
    void updateFontSample();
    void stepFontSize(int step);
    void setFontOnSelectedRows();

    void paintSamples();
    void selectColourObject(int object);
    void setSwatch(QFrame* swatch, quint32 colour);
    void updateColourSample();
    void chooseColour(bool background, bool system);
    void applyColour();
    void chooseSecurityColour(bool system);

    void showEditor(int index);
    void chooseEditorPreset(int presetIndex);
    void browseEditor();

    Form1& m_window;
    OptionSettings m_options;

    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_pages = nullptr;

    QTreeWidget* m_fontList = nullptr;
    QComboBox* m_fontName = nullptr;
    QLineEdit* m_fontSize = nullptr;
    QScrollArea* m_fontSampleArea = nullptr;
    QLabel* m_fontSample = nullptr;

    QFrame* m_picForm = nullptr;
    QLabel* m_lblNo = nullptr;
    QTreeWidget* m_sampleCatList = nullptr;
    QTreeWidget* m_sampleMemoList = nullptr;
    QLineEdit* m_sampleTitle = nullptr;
    QLineEdit* m_sampleTag = nullptr;
    QPlainTextEdit* m_sampleContents = nullptr;
    QGroupBox* m_colorDetail = nullptr;
    QFrame* m_picFontColor = nullptr;
    QFrame* m_picBackColor = nullptr;
    QLabel* m_colorSample = nullptr;
    QCheckBox* m_applyColourAll = nullptr;
    // The object named by the caption of "Selected Object" (-1: none yet).
    int m_selectedObject = -1;
    quint32 m_swatchFont = 0;
    quint32 m_swatchBack = 0xFFFFFF;

    QCheckBox* m_memoChangeAutoSave = nullptr;
    QCheckBox* m_memoSaveAutoTitle = nullptr;
    QCheckBox* m_isTrash = nullptr;
    QComboBox* m_focus = nullptr;

    QLineEdit* m_securityPass = nullptr;
    QFrame* m_picSecurityColor = nullptr;

    QComboBox* m_editorSelect = nullptr;
    QLineEdit* m_editorName = nullptr;
    QLineEdit* m_editorPath = nullptr;
    QPushButton* m_editorBrowse = nullptr;
    QComboBox* m_editorPreset = nullptr;
    QCheckBox* m_defaultEditor = nullptr;
    // The entry shown, whose fields are stored back before another is shown.
    int m_editorShown = 0;
};
