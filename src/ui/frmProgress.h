#pragma once

#include "app/Progress.h"

#include <QElapsedTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

// The progress window of a long operation: a separate tool window above its
// parent with an explanation line, two bars filled in blue and a cancel
// button. It does no work itself; the operation drives it and polls IsCancel().
class frmProgress : public QWidget, public Progress
{
    Q_OBJECT

public:
    // `parent` only places the window: it is centred over it and stays above it.
    explicit frmProgress(QWidget* parent = nullptr);

    // Makes these windows, shown, for an operation that opens one only when
    // it turns out to be long.
    static ProgressFactory factory(QWidget* parent = nullptr);

    void SetProgressBar(bool showBar1, bool showBar2) override;
    void SetTitle(const QString& title) override;
    void SetExplain(const QString& text) override;
    void SetProgressMax(int bar, int maximum) override;
    void SetProgress(int bar, int value) override;
    void SetProgressClear(int bar) override;
    bool IsCancel() const override { return m_cancel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Bar
    {
        QFrame* area = nullptr;
        int maximum = 0;
        int value = 0;
    };

    Bar* bar(int number);
    void paintBar(const Bar& bar);
    void requestCancel();
    void fitHeight();

    QLabel* m_explain;
    Bar m_bars[2];
    QPushButton* m_cmdCancel;
    bool m_cancel = false;
    bool m_placed = false;
    // Time since pending events last ran; invalid until the first SetProgress.
    QElapsedTimer m_sinceEvents;
};
