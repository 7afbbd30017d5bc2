#include "CKWImage.h"

#include "Util.h"

#include <QPainter>
#include <QSvgRenderer>

CKWImage::CKWImage(QWidget* parent) : QWidget(parent) {}

CKWImage::CKWImage(const QString& resPath, QWidget* parent) : QWidget(parent) { SetImage(resPath); }

CKWImage::~CKWImage() = default;

bool CKWImage::SetImage(const QString& resPath)
{
    m_path = Util::getResFullPath(resPath);
    m_pixmap = QPixmap();
    delete m_svg;
    m_svg = nullptr;
    bool ok = false;
    if (m_path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        m_svg = new QSvgRenderer(m_path, this);
        ok = m_svg->isValid();
        if (!ok) {
            delete m_svg;
            m_svg = nullptr;
        }
    } else if (!m_path.isEmpty()) {
        ok = m_pixmap.load(m_path);
    }
    updateGeometry();
    update();
    return ok;
}

QString CKWImage::ImagePath() const { return m_path; }

bool CKWImage::IsNull() const { return !m_svg && m_pixmap.isNull(); }

QSize CKWImage::sizeHint() const
{
    if (m_svg)
        return m_svg->defaultSize();
    if (!m_pixmap.isNull())
        return m_pixmap.size() / m_pixmap.devicePixelRatio();
    return QSize(0, 0);
}

void CKWImage::paintEvent(QPaintEvent*)
{
    if (IsNull())
        return;
    QSize natural = sizeHint();
    QSize fit = natural.scaled(size(), Qt::KeepAspectRatio);
    // Never blow a small image up beyond its own size.
    if (fit.width() > natural.width())
        fit = natural;
    QRect target(QPoint(0, 0), fit);
    target.moveCenter(rect().center());
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_svg)
        m_svg->render(&p, target);
    else
        p.drawPixmap(target, m_pixmap);
}
