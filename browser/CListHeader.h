#pragma once
#include "CListBaseHeader.h"
#include <QMap>
#include <QRect>
#include <memory>

class CTreeListStyle;
class QCheckBox;
class QMouseEvent;

// List header with a check-all box in one section, a sort arrow, elided titles with icons,
// a rounded top-right corner on the right-most section and separators between sections.
// The check-all box shows and changes the check state of the header's root index.
class CListHeader : public CListBaseHeader
{
    Q_OBJECT
public:
    explicit CListHeader(int checkSection, QWidget* parent = nullptr);
    explicit CListHeader(QTreeWidget* treeWidget, QWidget* parent = nullptr);
    ~CListHeader() override;

    int CheckSection() const { return checkSection; }
    // The check-all square of a section as last painted (empty before the first paint).
    QRect CheckRect(int section) const { return checkRects.value(section); }
    void SetRoundLastSection(bool round) { roundLastSection = round; }
    void SetSeparatorsEverywhere(int everywhere) { separatorsEverywhere = everywhere; }
    void SetSkipSeparatorBeforeLast(bool skip) { skipSeparatorBeforeLast = skip; }
    // The state the check-all box shows: the root's check state (see the class comment).
    int RootCheckState() const;

    static constexpr int kCheckSize = 16;

public slots:
    void onSectionClicked(int iLogicalIndex);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    // Flips the root between checked and unchecked (partly checked becomes checked).
    void ToggleCheckAll();
    // True when the release position hits the stored check-all square.
    bool HitsCheckBox(const QPoint& pos) const;

    bool roundLastSection = false;
    int separatorsEverywhere = 1;
    bool skipSeparatorBeforeLast = false;
    int checkSection = -1;
    mutable QMap<int, QRect> checkRects;

private:
    void Init();
    bool IsRightMost(int logicalIndex, const QRect& rect) const;
    void PaintCheckBox(QPainter* painter, const QRect& square) const;

    CTreeListStyle* style = nullptr;
    // The widget the style draws the indicator for; created on first use.
    mutable std::unique_ptr<QCheckBox> styledCheckBox;
};
