#pragma once
#include <QToolButton>

// Flat tool button: raised only under the mouse; the icon may come from a resource path.
class CKWToolButton : public QToolButton
{
    Q_OBJECT
public:
    explicit CKWToolButton(QWidget* parent = nullptr);
    // Loads the icon from a resource path such as "../res/x.png" (see Util::getResFullPath).
    void SetIconPath(const QString& resPath);
};
