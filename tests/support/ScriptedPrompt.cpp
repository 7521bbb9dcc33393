#include "ScriptedPrompt.h"

#include <QScopeGuard>
#include <gtest/gtest.h>

namespace {
const QString kProductName = QStringLiteral("Quillet");

// The next scripted answer; a dialog without one fails the test and gets `none`.
template <typename T> T takeNext(std::deque<T>& queue, const std::string& dialog, T none = T{})
{
    if (queue.empty()) {
        ADD_FAILURE() << "unscripted " << dialog;
        return none;
    }
    // The answer is moved out before the guard drops its emptied place.
    const auto dropFront = qScopeGuard([&queue] { queue.pop_front(); });
    return std::move(queue.front());
}
} // namespace

PromptAnswer ScriptedPrompt::message(const PromptMessage& message)
{
    shown.append({Kind::Message, message.text, message.title.isEmpty() ? kProductName : message.title,
                  message.icon, message.buttons});
    if (message.buttons == PromptButtons::Ok)
        return PromptAnswer::Ok;
    return takeNext(answers, "question: " + message.text.toStdString(), PromptAnswer::Cancel);
}

std::optional<QString> ScriptedPrompt::inputText(const QString& title, const QString& label,
                                                 const QString& initial)
{
    shown.append({Kind::Input, label, title});
    if (whileInputShows)
        std::exchange(whileInputShows, nullptr)();
    return takeNext(inputs, "input box: " + label.toStdString());
}

QString ScriptedPrompt::password(const QString& caption, const QString& label)
{
    shown.append({Kind::Password, label, caption});
    if (whilePasswordShows)
        whilePasswordShows();
    return takeNext(passwords, "password dialog: " + label.toStdString());
}

QStringList ScriptedPrompt::nextFiles(Kind kind, const FileDialogRequest& request)
{
    shown.append({kind, request.startPath, request.title});
    lastFileRequest = request;
    return takeNext(files, "file dialog: " + request.title.toStdString());
}

QString ScriptedPrompt::openFile(const FileDialogRequest& request)
{
    return nextFiles(Kind::OpenFile, request).value(0);
}

QStringList ScriptedPrompt::openFiles(const FileDialogRequest& request)
{
    return nextFiles(Kind::OpenFiles, request);
}

QString ScriptedPrompt::saveFile(const FileDialogRequest& request)
{
    return nextFiles(Kind::SaveFile, request).value(0);
}

QString ScriptedPrompt::chooseFolder(const FileDialogRequest& request)
{
    return nextFiles(Kind::Folder, request).value(0);
}

std::optional<quint32> ScriptedPrompt::chooseColour(quint32 initial)
{
    shown.append({Kind::Colour, QString::number(initial, 16), {}});
    return takeNext(colours, "colour dialog");
}

QString ScriptedPrompt::chooseTags(const QString& initial, const QStringList& names)
{
    shown.append({Kind::Tags, initial, {}});
    lastTagNames = names;
    return takeNext(tagChoices, "tag choice dialog");
}

std::optional<SearchRequest> ScriptedPrompt::chooseSearch(const SearchRequest& initial,
                                                          const QStringList& tags)
{
    shown.append({Kind::Search, initial.words, {}});
    lastSearchInitial = initial;
    lastSearchTags = tags;
    return takeNext(searches, "filter dialog");
}

QStringList ScriptedPrompt::messageTexts() const
{
    QStringList texts;
    for (const Shown& s : shown)
        if (s.kind == Kind::Message)
            texts.append(s.text);
    return texts;
}

bool ScriptedPrompt::allAnswersUsed() const
{
    return answers.empty() && inputs.empty() && passwords.empty() && files.empty() && colours.empty() &&
           tagChoices.empty() && searches.empty();
}
