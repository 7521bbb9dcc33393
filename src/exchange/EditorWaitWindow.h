#pragma once

#include <QWidget>

class EditorPass;
class QLabel;
class QPushButton;

// The small window shown while a pass waits for saves from an editor that
// handed the file to an already running instance: it stays open, not modal,
// until the user presses "編集を終了" (or closes it), which ends the pass.
// It shows itself when the pass starts waiting and closes when the pass ends.
class EditorWaitWindow : public QWidget
{
    Q_OBJECT
public:
    explicit EditorWaitWindow(EditorPass& pass, QWidget* parent = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    EditorPass& m_pass;
    QLabel* m_label;
    QPushButton* m_finish;
};
