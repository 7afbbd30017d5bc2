#pragma once
#include "CKWStateWidget.h"

#include <QPixmap>

// Button drawn from images, one per state; states without their own image use the normal one
// (disabled: the normal image faded). Optional text is drawn to the right of the image.
class CKWImageButton : public CKWStateWidget
{
    Q_OBJECT
public:
    explicit CKWImageButton(QWidget* parent = nullptr);

    // Resource paths (see Util::getResFullPath); empty paths leave that state to the fallback.
    void SetImages(const QString& normal, const QString& hover = QString(), const QString& pressed = QString(),
                   const QString& disabled = QString());
    void SetText(const QString& text);
    QString Text() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_images[4];
    QString m_text;
};
