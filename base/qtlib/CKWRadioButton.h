#pragma once
#include <QRadioButton>

// Radio button of the library's look.
class CKWRadioButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit CKWRadioButton(QWidget* parent = nullptr);
    explicit CKWRadioButton(const QString& text, QWidget* parent = nullptr);
};
