#include "ui/QtPrompt.h"

#include "editing/frmInputOption.h"
#include "search/frmFind.h"
#include "tags/frmCategoryInput.h"
#include "ui/BusyCursor.h"
#include "ui/VbColour.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

const QString kProductName = QStringLiteral("Quillet");

QMessageBox::Icon toQt(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

PromptAnswer fromQt(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    default:
        return PromptAnswer::Cancel;
    }
}

} // namespace

PromptAnswer QtPrompt::message(const PromptMessage& message)
{
    BusyCursor::Pause normalPointer;
    QMessageBox box(toQt(message.icon), message.title.isEmpty() ? kProductName : message.title, message.text,
                    toQt(message.buttons), m_parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    return fromQt(box.exec());
}

std::optional<QString> QtPrompt::inputText(const QString& title, const QString& label, const QString& initial)
{
    BusyCursor::Pause normalPointer;
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, title.isEmpty() ? kProductName : title, label,
                                               QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtPrompt::password(const QString& caption, const QString& label)
{
    BusyCursor::Pause normalPointer;
    frmInputOption dialog(m_parent);
    dialog.setWindowTitle(caption);
    dialog.setPrompt(label);
    dialog.exec();
    return dialog.InputPassword();
}

QString QtPrompt::openFile(const FileDialogRequest& request)
{
    BusyCursor::Pause normalPointer;
    return QFileDialog::getOpenFileName(m_parent, request.title, request.startPath, request.filter);
}

QStringList QtPrompt::openFiles(const FileDialogRequest& request)
{
    BusyCursor::Pause normalPointer;
    return QFileDialog::getOpenFileNames(m_parent, request.title, request.startPath, request.filter);
}

QString QtPrompt::saveFile(const FileDialogRequest& request)
{
    BusyCursor::Pause normalPointer;
    const QFileDialog::Options options =
        request.askBeforeReplacing ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    return QFileDialog::getSaveFileName(m_parent, request.title, request.startPath, request.filter, nullptr,
                                        options);
}

QString QtPrompt::chooseFolder(const FileDialogRequest& request)
{
    BusyCursor::Pause normalPointer;
    return QFileDialog::getExistingDirectory(m_parent, request.title, request.startPath);
}

std::optional<quint32> QtPrompt::chooseColour(quint32 initial)
{
    BusyCursor::Pause normalPointer;
    const QColor chosen = QColorDialog::getColor(vbColourToQColor(initial), m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    return qColorToVbColour(chosen);
}

QString QtPrompt::chooseTags(const QString& initial, const QStringList& names)
{
    BusyCursor::Pause normalPointer;
    frmCategoryInput dialog(initial, names, m_parent);
    dialog.exec();
    return dialog.InputCategory();
}

std::optional<SearchRequest> QtPrompt::chooseSearch(const SearchRequest& initial, const QStringList& tags)
{
    BusyCursor::Pause normalPointer;
    frmFind dialog(initial, tags, m_parent);
    dialog.exec();
    return dialog.chosen();
}
