#pragma once

#include <QObject>
#include <QPointer>
#include <QSplitter>

class QWidget;

// Arranges the three panes of the main window in one of the three window types
// and owns the splitter bars between them:
//   0 normal: [Panel1 / Panel2] | Panel3
//   1 mailer: Panel1 | [Panel2 / Panel3]
//   2 wide:   Panel1 | Panel2 | Panel3
// Positions are in pixels of the host widget.
class PaneLayout : public QObject
{
    Q_OBJECT
public:
    PaneLayout(QWidget* host, QWidget* panel1, QWidget* panel2, QWidget* panel3);

    void setWindowType(int type);
    int windowType() const { return m_type; }

    // Left edge of the vertical bar after the first column.
    int sepalatorX() const;
    void moveSepalator(int x);
    // Top edge of the horizontal bar (types 0 and 1), within the host. In the
    // wide type, which hides the bar, the place it comes back to.
    int sepalator2Y() const;
    void moveSepalator2(int y);
    // Left edge of the bar between memo list and editing area (type 2).
    int sepalator3X() const;
    void moveSepalator3(int x);

    QSplitter* outerSplitter() const { return m_outer; }
    QSplitter* innerSplitter() const { return m_inner; }

Q_SIGNALS:
    void sepalatorMoved();
    void sepalator3Moved();
    void sepalator2Moved();

private:
    void rebuild();
    static void setFirstSize(QSplitter* splitter, int first);

    QWidget* m_host;
    QWidget* m_panels[3];
    QPointer<QSplitter> m_outer;
    QPointer<QSplitter> m_inner;
    int m_type = -1;
    int m_sepalator2Y = -1; // the horizontal bar's place while no bar is shown
};
