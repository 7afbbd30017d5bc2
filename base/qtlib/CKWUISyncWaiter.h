#pragma once
#include <QDialog>
#include <QString>

class QLabel;
class QTimer;

// Modal waiting indicator: a small frameless panel with a turning arc and a text. The user
// cannot close it; its owner calls Finish() when the awaited work is done.
class CKWUISyncWaiter : public QDialog
{
    Q_OBJECT
public:
    explicit CKWUISyncWaiter(QWidget* parent = nullptr);
    ~CKWUISyncWaiter() override;

    void setWaitingText(const QString& text);
    QString waitingText() const;

    // Shows the panel modally without a nested event loop (the caller runs its own loop),
    // centred on its parent window or on the active window.
    void Start();
    // Lets the panel close and closes it.
    void Finish();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void centre();

    QLabel* m_text;
    QTimer* m_timer;
    int m_angle = 0;
    bool m_mayClose = false;
};
