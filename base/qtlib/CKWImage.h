#pragma once
#include <QPixmap>
#include <QWidget>

class QSvgRenderer;

// Shows one resource image (PNG, JPEG, ... or SVG), named by a path such as "../res/x.png"
// (resolved through Util::getResFullPath), scaled into the widget with its aspect ratio kept.
class CKWImage : public QWidget
{
    Q_OBJECT
public:
    explicit CKWImage(QWidget* parent = nullptr);
    explicit CKWImage(const QString& resPath, QWidget* parent = nullptr);
    ~CKWImage() override;

    // False (and an empty widget) when the image cannot be read.
    bool SetImage(const QString& resPath);
    QString ImagePath() const;
    bool IsNull() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_path;
    QPixmap m_pixmap;
    QSvgRenderer* m_svg = nullptr;
};
