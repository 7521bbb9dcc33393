#pragma once

#include "search/SearchRequest.h"

#include <QString>
#include <QStringList>
#include <optional>

// The one way Quillet talks to the user through dialogs: message boxes, input
// boxes, the password dialog, file and folder choosers and the colour picker.
// The application installs the Qt implementation; tests install a scripted one
// that records every prompt and answers from a script.

enum class PromptIcon { None, Critical, Question, Exclamation, Information };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct PromptMessage
{
    QString text;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    QString title; // empty: the product name
};

struct FileDialogRequest
{
    QString title;
    QString startPath; // folder or file the dialog starts at
    QString filter;    // Qt filter text, e.g. "データベース (*.mdb)"
    // A save dialog asks before an existing file is chosen, unless the caller
    // asks itself once it has completed the name.
    bool askBeforeReplacing = true;
};

class Prompt
{
public:
    virtual ~Prompt() = default;

    virtual PromptAnswer message(const PromptMessage& message) = 0;
    // An input box; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& label,
                                             const QString& initial) = 0;
    // The password dialog: what was typed, or the empty text when it was closed.
    virtual QString password(const QString& caption, const QString& label) = 0;
    // File and folder choosers return the empty text (or list) when cancelled.
    virtual QString openFile(const FileDialogRequest& request) = 0;
    virtual QStringList openFiles(const FileDialogRequest& request) = 0;
    virtual QString saveFile(const FileDialogRequest& request) = 0;
    virtual QString chooseFolder(const FileDialogRequest& request) = 0;
    // A colour as a 0x00BBGGRR value; nullopt when cancelled.
    virtual std::optional<quint32> chooseColour(quint32 initial) = 0;
    // The tag choice dialog: starts with `initial` in its text box and lists
    // `names` (every known tag, "[Import]" first), a click on a name toggling
    // it in the text. Returns the text as it stands at OK, untrimmed; the empty
    // text when cancelled.
    virtual QString chooseTags(const QString& initial, const QStringList& names) = 0;
    // The filter dialog: lists `tags` (every known tag name) unticked, or
    // ticked where `initial` names them, with the words and choices of
    // `initial`. Returns what was chosen at "検索"; nullopt when cancelled.
    virtual std::optional<SearchRequest> chooseSearch(const SearchRequest& initial,
                                                      const QStringList& tags) = 0;

    // Shorthands for the common message boxes.
    void inform(const QString& text) { message({text, PromptIcon::Information, PromptButtons::Ok, {}}); }
    void warn(const QString& text) { message({text, PromptIcon::Exclamation, PromptButtons::Ok, {}}); }
    void critical(const QString& text) { message({text, PromptIcon::Critical, PromptButtons::Ok, {}}); }
    bool askYesNo(const QString& text, PromptIcon icon = PromptIcon::Question)
    {
        return message({text, icon, PromptButtons::YesNo, {}}) == PromptAnswer::Yes;
    }
    PromptAnswer askYesNoCancel(const QString& text, PromptIcon icon = PromptIcon::Question)
    {
        return message({text, icon, PromptButtons::YesNoCancel, {}});
    }
    // Whether a file already at `path` may be replaced.
    bool askToReplace(const QString& path)
    {
        return askYesNo(path + QStringLiteral(" は既にあります。\n置き換えますか？"));
    }
};
