#pragma once

#include "app/Prompt.h"

// A prompt for programs that run without a user (benchmarks, helper
// processes of the tests): message boxes answer OK, every dialog is cancelled.
class SilentPrompt : public Prompt
{
public:
    PromptAnswer message(const PromptMessage&) override { return PromptAnswer::Ok; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return {}; }
    QString password(const QString&, const QString&) override { return {}; }
    QString openFile(const FileDialogRequest&) override { return {}; }
    QStringList openFiles(const FileDialogRequest&) override { return {}; }
    QString saveFile(const FileDialogRequest&) override { return {}; }
    QString chooseFolder(const FileDialogRequest&) override { return {}; }
    std::optional<quint32> chooseColour(quint32) override { return {}; }
    QString chooseTags(const QString&, const QStringList&) override { return {}; }
    std::optional<SearchRequest> chooseSearch(const SearchRequest&, const QStringList&) override
    {
        return {};
    }
};
