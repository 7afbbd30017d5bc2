#pragma once
#include <QLineEdit>

class QKeyEvent;

// Line edit that reports keys to its owner through KeyPressed: every key press except Enter and
// Return, and the release of Enter or Return. So one Enter keystroke is reported once (on
// release, which is when owners act on it), never twice, and holding Enter does not repeat it.
class CKWLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CKWLineEdit(QWidget* parent = nullptr);
    explicit CKWLineEdit(const QString& text, QWidget* parent = nullptr);

signals:
    void KeyPressed(QKeyEvent* event);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
};
