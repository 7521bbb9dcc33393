#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>

class Form1;
class QAction;

// The main window's command vocabulary in one place: every menu item and
// toolbar button with its name, caption, tool tip, image, key and handler,
// and the order in which the menu bar, its submenus and the toolbar show
// them. Form1 builds its actions, menus and toolbar from these tables.
class CommandTable
{
public:
    enum Flag
    {
        Checkable = 1,
        // Enabled only while the focus is in the part it acts on (Form1
        // follows the focus).
        StartsDisabled = 2,
        // The handler runs on every change of the checked state, also one
        // made by the program (the stored always-on-top state).
        OnToggle = 4,
    };

    struct Command
    {
        const char* name;
        QString caption;
        QString toolTip = {};
        // Toolbar image name (":/toolbar/<image>.png"), or none.
        const char* image = nullptr;
        QKeySequence shortcut = {};
        // Empty: the command object that carries it out connects itself to
        // the action by name (Form1::commandAction).
        std::function<void(Form1&)> handler = {};
        int flags = 0;
        // The memo-list icon shown beside the item (the icon submenu), or -1.
        int memoIcon = -1;
    };

    // A menu of the menu bar or a submenu. Items are command names; "-" is a
    // separator, "-Name" a separator with that object name, ">name" the
    // submenu of that name (from submenus()).
    struct Menu
    {
        const char* name;
        QString title;
        QList<const char*> items;
    };

    struct ToolButton
    {
        // A command name, "-" for a separator or "-Name" for a named one.
        const char* name;
        // The submenu shown by the button's arrow, or none.
        const char* dropDown = nullptr;
    };

    static const QList<Command>& commands();
    // The menu bar, in order.
    static const QList<Menu>& menuBar();
    static const QList<Menu>& submenus();
    static const QList<ToolButton>& toolbar();

    static const Command* find(const QString& name);
    // A caption without its accelerator: "終了(&X)" -> "終了", "a&b" -> "ab".
    static QString plainCaption(const QString& caption);

    // Where the sibling diary program is looked for and how it is started.
    // Tests put their own in front to decide the folder and record starts.
    class Launcher
    {
    public:
        virtual ~Launcher() = default;
        // The running binary's folder.
        virtual QString programFolder() const;
        virtual bool startDetached(const QString& program);
    };
    static Launcher& launcher();
    // Null puts the default back.
    static void setLauncher(Launcher* launcher);
    // The sibling program's executable "daybook": in the data folder
    // `myPath` when it is there, else beside the running binary; empty when
    // neither has one that can be run.
    static QString daybookProgram(const QString& myPath);
    static void startDaybook(const QString& myPath);

    static QString kitaText();
};
