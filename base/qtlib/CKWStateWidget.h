#pragma once
#include <QWidget>

// Base of the library's custom-painted controls: tracks whether the mouse is over the widget or
// pressing it, repaints on every change, and emits clicked() for a left press released inside.
// Subclasses paint from State().
class CKWStateWidget : public QWidget
{
    Q_OBJECT
public:
    enum State { StateNormal, StateHover, StatePressed, StateDisabled };

    explicit CKWStateWidget(QWidget* parent = nullptr);

    State CurrentState() const;

signals:
    void clicked();
    void stateChanged(int state);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();

    bool m_hover = false;
    bool m_pressed = false;
    State m_last = StateNormal;
};
