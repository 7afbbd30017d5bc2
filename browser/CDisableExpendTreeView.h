#pragma once
#include <QTreeView>

// The browser's contents list: a flat list whose rows cannot be expanded and that draws no
// branches. Items are laid out only after the model has said that something changed, and rows
// inserted while the list is hidden cost nothing until it is shown.
class CDisableExpendTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit CDisableExpendTreeView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    void setRootIndex(const QModelIndex& index) override;
    void doItemsLayout() override;
    bool IsLayoutPending() const { return layoutPending; }

public slots:
    void OnUpdateView(bool relayoutNow = false);

protected slots:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void showEvent(QShowEvent* e) override;

private:
    bool layoutPending = true;
};
