#include "CDemoWindow.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

CDemoWindow::CDemoWindow(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    m_pageArea = new QWidget(this);
    m_pageLayout = new QVBoxLayout(m_pageArea);
    m_pageLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pageArea, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Named here so that they follow the host's language, not only Qt's own translations.
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    layout->addWidget(buttons);
    connect(buttons, SIGNAL(accepted()), this, SIGNAL(DoOk()));
    connect(buttons, SIGNAL(rejected()), this, SIGNAL(DoCancel()));
    resize(1132, 732);
}

void CDemoWindow::ShowPage(QWidget* page)
{
    m_page = page;
    if (page)
        m_pageLayout->addWidget(page);
}

void CDemoWindow::closeEvent(QCloseEvent* event)
{
    // The host decides when the window goes: the module's pages must be released first.
    event->ignore();
    emit DoCancel();
}
