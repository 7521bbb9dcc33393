#pragma once

#include "app/Prompt.h"

class QWidget;

// The prompt interface shown with Qt dialogs, titled with the product name and
// parented to the main window so that they stay above it.
class QtPrompt final : public Prompt
{
public:
    explicit QtPrompt(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    PromptAnswer message(const PromptMessage& message) override;
    std::optional<QString> inputText(const QString& title, const QString& label,
                                     const QString& initial) override;
    QString password(const QString& caption, const QString& label) override;
    QString openFile(const FileDialogRequest& request) override;
    QStringList openFiles(const FileDialogRequest& request) override;
    QString saveFile(const FileDialogRequest& request) override;
    QString chooseFolder(const FileDialogRequest& request) override;
    std::optional<quint32> chooseColour(quint32 initial) override;
    QString chooseTags(const QString& initial, const QStringList& names) override;
    std::optional<SearchRequest> chooseSearch(const SearchRequest& initial, const QStringList& tags) override;

private:
    QWidget* m_parent;
};
