#include "CSmartFilterPage.h"

#include "CKWLabel.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QVBoxLayout>

CSmartFilterPage::CSmartFilterPage(QWidget* parent, const QStringList& itemPaths)
    : CKWPopWnd(parent), paths(itemPaths)
{
    Init();
    setFixedSize(520, 440);
    setAccessibleName(QStringLiteral("id_SmartFilterWnd"));
    SetWindowTitle(tr("Smart Filter"));
    ShowTitleBtn(8, true);

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    auto* label = new CKWLabel(content);
    label->setText(MessageText());
    label->setWordWrap(true);
    layout->addWidget(label);
    list = new QListWidget(content);
    list->addItems(paths);
    layout->addWidget(list, 1);
    AppendContent(content);

    AppendBtn(CKWPopWnd::BtnOk | CKWPopWnd::BtnCancel);
    ResetBtnText(CKWPopWnd::BtnOk, tr("Continue"));
}

QString CSmartFilterPage::MessageText()
{
    return QCoreApplication::translate("CSmartFilterPage",
        "Smart backup doest not support the files in network path,and the following files will be excluded:");
}

int CSmartFilterPage::Exec()
{
    return Run() == CKWPopWnd::BtnOk ? 1 : 0;
}

void CSmartFilterPage::FillRecord(CMsgBox::Record& record) const
{
    CKWPopWnd::FillRecord(record);
    record.text = MessageText();
    record.extra = paths;
}
