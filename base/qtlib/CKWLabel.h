#pragma once
#include <QLabel>

// Text label; optionally elides a text that does not fit (the full text becomes the tool tip).
class CKWLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CKWLabel(QWidget* parent = nullptr);
    explicit CKWLabel(const QString& text, QWidget* parent = nullptr);

    void SetElideMode(Qt::TextElideMode mode); // Qt::ElideNone (default) shows the text as QLabel does
    void SetText(const QString& text);
    QString FullText() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    QString m_fullText;
    Qt::TextElideMode m_elide = Qt::ElideNone;
};
