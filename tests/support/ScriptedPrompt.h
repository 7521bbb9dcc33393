#pragma once

#include "app/Prompt.h"

#include <QList>
#include <deque>
#include <functional>

// A prompt that never blocks: it records every dialog shown and answers from
// queues filled by the test. A question without a scripted answer fails the test.
class ScriptedPrompt final : public Prompt
{
public:
    enum class Kind { Message, Input, Password, OpenFile, OpenFiles, SaveFile, Folder, Colour, Tags, Search };
    struct Shown
    {
        Kind kind;
        QString text;  // message text, the label of an input or password dialog, or the tag dialog's starting text
        QString title; // title or caption as shown
        PromptIcon icon = PromptIcon::None;
        PromptButtons buttons = PromptButtons::Ok;
    };

    std::deque<PromptAnswer> answers;                 // for messages with a choice
    std::deque<std::optional<QString>> inputs;        // for input boxes
    std::deque<QString> passwords;                    // for the password dialog
    std::deque<QStringList> files;                    // for file and folder choosers
    std::deque<std::optional<quint32>> colours;       // for the colour picker
    std::deque<QString> tagChoices;                   // for the tag choice dialog ("" cancels)
    QStringList lastTagNames;                         // the names the tag dialog last listed
    std::deque<std::optional<SearchRequest>> searches; // for the filter dialog (nullopt cancels)
    SearchRequest lastSearchInitial;                  // what the filter dialog last started from
    QStringList lastSearchTags;                       // the names the filter dialog last listed
    FileDialogRequest lastFileRequest;                // what the last file or folder chooser was asked
    QList<Shown> shown;
    // Run while a password dialog or an input box is open (the user taking
    // their time, events running meanwhile).
    std::function<void()> whilePasswordShows;
    std::function<void()> whileInputShows;

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

    // The texts of every message box shown so far, in order.
    QStringList messageTexts() const;
    bool allAnswersUsed() const;

private:
    QStringList nextFiles(Kind kind, const FileDialogRequest& request);
};
