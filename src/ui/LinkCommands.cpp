#include "ui/LinkCommands.h"

#include "app/Prompt.h"
#include "editing/MemoEditor.h"
#include "ui/Form1.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {

// The desktop's handlers for web and mail addresses, files and folders.
class DesktopOpener final : public UrlOpener
{
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

DesktopOpener& desktopOpener()
{
    static DesktopOpener opener;
    return opener;
}

const QString kNothingGiven = QStringLiteral("文字列が指定されていません");

QString errorText(const QString& error)
{
    return QStringLiteral("エラー発生！\n\n") + error;
}

} // namespace

LinkCommands::LinkCommands(Form1& window) : QObject(&window), m_window(window), m_opener(&desktopOpener())
{
    setObjectName(QStringLiteral("LinkCommands"));
    connect(window.commandAction("mnuOpenLink"), &QAction::triggered, this, &LinkCommands::mnuOpenLink);
    const QString captions[WebSearch::EngineCount] = {
        QStringLiteral("Googleで検索する"), QStringLiteral("Yahooで検索する"),
        QStringLiteral("WikiPediaで検索する"), QStringLiteral("Amazonで検索する")};
    for (int engine = 0; engine < WebSearch::EngineCount; ++engine) {
        const QByteArray name = "mnuFindLink" + QByteArray::number(engine);
        QAction* action = window.commandAction(name.constData());
        action->setText(captions[engine]);
        connect(action, &QAction::triggered, this, [this, engine] { mnuFindLink(engine); });
    }
    window.commandAction("mnuMakerSite")->setText(QStringLiteral("Quillet プロジェクト"));
    connect(window.commandAction("mnuHelp2"), &QAction::triggered, this, &LinkCommands::mnuHelp2);
    connect(window.commandAction("mnuOnlineHelp"), &QAction::triggered, this, &LinkCommands::mnuOnlineHelp);
    connect(window.commandAction("mnuNewInfo"), &QAction::triggered, this, &LinkCommands::mnuNewInfo);
    connect(window.commandAction("mnuMakerSite"), &QAction::triggered, this, &LinkCommands::mnuMakerSite);
    // Ctrl+O and Ctrl+Shift+F in the contents box.
    connect(&window.editor(), &MemoEditor::openLinkRequested, this, &LinkCommands::mnuOpenLink);
    connect(&window.editor(), &MemoEditor::webSearchRequested, this,
            [this] { mnuFindLink(WebSearch::Google); });
}

void LinkCommands::setOpener(UrlOpener* opener)
{
    m_opener = opener ? opener : &desktopOpener();
}

void LinkCommands::DoOpenLink(const QString& text)
{
    if (text.isEmpty()) {
        m_window.prompt().critical(kNothingGiven);
        return;
    }
    QString target = text;
    QString error;
    if (WebSearch::OpenSelectedText(target, *m_opener, error) == 1)
        m_window.prompt().critical(errorText(error));
}

void LinkCommands::DoOpenFindLink(const QString& text, int engine)
{
    QString address = WebSearch::searchAddress(text, engine);
    if (address.isEmpty()) {
        m_window.prompt().critical(kNothingGiven);
        return;
    }
    QString error;
    if (WebSearch::OpenSelectedText(address, *m_opener, error) == 1)
        m_window.prompt().critical(errorText(error));
}

QString LinkCommands::manualPath()
{
    QStringList candidates = {QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                              QStringLiteral("/../share/doc/quillet/manual/manual.html"))};
#ifdef QUILLET_SOURCE_MANUAL
    candidates << QStringLiteral(QUILLET_SOURCE_MANUAL);
#endif
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

void LinkCommands::mnuOpenLink()
{
    DoOpenLink(m_window.editor().selectedContents());
}

void LinkCommands::mnuFindLink(int engine)
{
    DoOpenFindLink(m_window.editor().selectedContents(), engine);
}

void LinkCommands::mnuHelp2()
{
    const QString path = manualPath();
    if (path.isEmpty()) {
        m_window.prompt().critical(QStringLiteral("ヘルプファイル（manual.html）が見つかりません。"));
        return;
    }
    if (!m_opener->openUrl(QUrl::fromLocalFile(path)))
        m_window.prompt().critical(QStringLiteral("ヘルプファイルを開けませんでした。\n") + path);
}

void LinkCommands::mnuOnlineHelp()
{
    DoOpenLink(QString::fromLatin1(WebSearch::OnlineHelpAddress));
}

void LinkCommands::mnuNewInfo()
{
    DoOpenLink(QString::fromLatin1(WebSearch::NewInfoAddress));
}

void LinkCommands::mnuMakerSite()
{
    DoOpenLink(QString::fromLatin1(WebSearch::ProjectSite));
}
