#pragma once
#include <QPointer>
#include <QWidget>

class QDialogButtonBox;
class QVBoxLayout;

// The host's window: the page sits in the page area (the parent the module's pages get), OK and
// Cancel below it. Closing the window counts as Cancel.
class CDemoWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CDemoWindow(QWidget* parent = nullptr);

    QWidget* PageArea() const { return m_pageArea; }
    void ShowPage(QWidget* page);

signals:
    void DoOk();
    void DoCancel();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* m_pageArea;
    QVBoxLayout* m_pageLayout;
    QPointer<QWidget> m_page;
};
