#pragma once

#include "exchange/WebSearch.h"

#include <QObject>

class Form1;

// Opening the selected text as a link, searching it on the web, and the help
// menu: the manual shipped with Quillet and the project's web pages. The
// desktop is reached through a UrlOpener that tests replace.
class LinkCommands : public QObject
{
    Q_OBJECT
public:
    explicit LinkCommands(Form1& window);

    // Opens `text` as a web or mail address, file or folder, or reports why not.
    void DoOpenLink(const QString& text);
    // Searches `text` with engine 0 to 3, or reports why not.
    void DoOpenFindLink(const QString& text, int engine);

    // Where links go; null puts the desktop back.
    void setOpener(UrlOpener* opener);

    // The manual: installed beside the program (<bindir>/../share/doc/quillet/
    // manual/manual.html), else the source tree's copy when running from a
    // build tree. Empty when neither exists.
    static QString manualPath();

    void mnuOpenLink();
    void mnuFindLink(int engine);
    void mnuHelp2();
    void mnuOnlineHelp();
    void mnuNewInfo();
    void mnuMakerSite();

private:
    Form1& m_window;
    UrlOpener* m_opener;
};
