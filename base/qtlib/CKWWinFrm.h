#pragma once
#include <QDialog>
#include <QPointer>

class QHBoxLayout;
class QLabel;
class QLayout;
class QVBoxLayout;
class CKWToolButton;

// Framed window of the library: a frameless dialog that draws its own border and title bar
// (title text, optional minimise, maximise and close buttons; dragging the bar moves the window)
// above a content area.
class CKWWinFrm : public QDialog
{
    Q_OBJECT
public:
    // Title bar buttons for ShowTitleBtn; they combine as bits.
    enum TitleBtn { TitleBtnMin = 2, TitleBtnMax = 4, TitleBtnClose = 8 };

    explicit CKWWinFrm(QWidget* parent = nullptr);
    ~CKWWinFrm() override;

    void SetWindowTitle(const QString& title);
    QString WindowTitle() const;
    void ShowTitleBtn(int buttons, bool show);
    bool IsTitleBtnShown(int button) const;

    // Puts a content widget (or layout) below the earlier ones.
    void AppendContent(QWidget* content);
    void AppendContent(QLayout* content);

protected:
    // The window's own layout: title bar, content area, then whatever subclasses add.
    QVBoxLayout* FrameLayout() const;
    QVBoxLayout* ContentLayout() const;

    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QVBoxLayout* m_frameLayout;
    QWidget* m_titleBar;
    QHBoxLayout* m_titleLayout;
    QLabel* m_title;
    QPointer<CKWToolButton> m_min;
    QPointer<CKWToolButton> m_max;
    QPointer<CKWToolButton> m_close;
    QVBoxLayout* m_contentLayout;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
