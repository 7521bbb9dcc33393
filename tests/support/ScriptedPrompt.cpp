#include "ScriptedPrompt.h"

#include <gtest/gtest.h>

namespace {
const QString kProductName = QStringLiteral("Quillet");
}

PromptAnswer ScriptedPrompt::message(const PromptMessage& message)
{
    shown.append({Kind::Message, message.text, message.title.isEmpty() ? kProductName : message.title,
                  message.icon, message.buttons});
    if (message.buttons == PromptButtons::Ok)
        return PromptAnswer::Ok;
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted question: " << message.text.toStdString();
        return PromptAnswer::Cancel;
    }
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompt::inputText(const QString& title, const QString& label,
                                                 const QString& initial)
{
    shown.append({Kind::Input, label, title});
    if (inputs.empty()) {
        ADD_FAILURE() << "unscripted input box: " << label.toStdString();
        return std::nullopt;
    }
    auto answer = inputs.front();
    inputs.pop_front();
    return answer;
}

QString ScriptedPrompt::password(const QString& caption, const QString& label)
{
    shown.append({Kind::Password, label, caption});
    if (passwords.empty()) {
        ADD_FAILURE() << "unscripted password dialog: " << label.toStdString();
        return {};
    }
    QString answer = passwords.front();
    passwords.pop_front();
    return answer;
}

QStringList ScriptedPrompt::nextFiles(Kind kind, const FileDialogRequest& request)
{
    shown.append({kind, request.startPath, request.title});
    if (files.empty()) {
        ADD_FAILURE() << "unscripted file dialog: " << request.title.toStdString();
        return {};
    }
    QStringList answer = files.front();
    files.pop_front();
    return answer;
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
    if (colours.empty()) {
        ADD_FAILURE() << "unscripted colour dialog";
        return std::nullopt;
    }
    auto answer = colours.front();
    colours.pop_front();
    return answer;
}

QString ScriptedPrompt::chooseTags(const QString& initial, const QStringList& names)
{
    shown.append({Kind::Tags, initial, {}});
    lastTagNames = names;
    if (tagChoices.empty()) {
        ADD_FAILURE() << "unscripted tag choice dialog";
        return {};
    }
    const QString answer = tagChoices.front();
    tagChoices.pop_front();
    return answer;
}

std::optional<SearchRequest> ScriptedPrompt::chooseSearch(const SearchRequest& initial,
                                                          const QStringList& tags)
{
    shown.append({Kind::Search, initial.words, {}});
    lastSearchInitial = initial;
    lastSearchTags = tags;
    if (searches.empty()) {
        ADD_FAILURE() << "unscripted filter dialog";
        return std::nullopt;
    }
    auto answer = searches.front();
    searches.pop_front();
    return answer;
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
