#include "CFileTreePicker.h"

#include "CFileBrower.h"
#include "CGetDataCommon.h"
#include "CKWPopWnd.h"

#include <QWidget>

CFileTreePicker::CFileTreePicker(int treeType, QWidget* parent, unsigned flags)
{
    Q_UNUSED(flags);
    _CFileBrowserPara para;
    // Type 1 also lists files; the picker never shows check boxes or the right list.
    para.options = CFileBrower::kOptNetworkGroups | (treeType == 1 ? CFileBrower::kOptFiles | CFileBrower::kOptFilesInTree : 0);
    m_dialog = new CKWPopWnd(parent);
    m_dialog->setObjectName(QStringLiteral("CFileTreePicker"));
    m_dialog->SetWindowTitle(QObject::tr("Browse for Folder"));
    m_dialog->Init();
    m_dialog->AppendBtn(CKWPopWnd::BtnOk | CKWPopWnd::BtnCancel);
    m_dialog->resize(480, 420);
    m_browser = new CFileBrower(&para, m_dialog);
    m_browser->ShowRightView(false);
    if (QWidget* w = m_browser->GetWidget())
        m_dialog->AppendContent(w);
    m_browser->SetDataSource(QSharedPointer<CGetDataCommon>(new CGetDataCommon(para.options)));
}

CFileTreePicker::~CFileTreePicker()
{
    delete m_browser;
    delete m_dialog.data();
}

CKWPopWnd* CFileTreePicker::GetDialog()
{
    return m_dialog.data();
}

QString CFileTreePicker::GetSelectedPath()
{
    return m_browser ? m_browser->GetCurrentPath() : QString();
}

void CFileTreePicker::SetTitle(const QString& title)
{
    if (m_dialog)
        m_dialog->SetWindowTitle(title);
}
