// The folder picker and the system icons.
#include "FbTestUtil.h"

#include "CFileTreeFactory.h"
#include "CKWBrowserIconProc.h"
#include "CKWPopWnd.h"
#include "CMsgBox.h"

#include <QtTest>

using namespace fbtest;

class TestPicker : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_tmp;

private slots:
    void initTestCase()
    {
        QDir().mkpath(m_tmp.path() + "/c/Pick/Me");
        WriteFile(m_tmp.path() + "/c/file.txt", "f");
        UseIni(m_tmp.path(), QStringLiteral("[Drives]\nC=%1/c\n").arg(m_tmp.path()));
    }

    void cleanupTestCase() { CMsgBox::SetAutoAnswer(CMsgBox::AnswerFn()); }

    void pickerRunsModallyAndGivesThePath()
    {
        QVERIFY(!CFileTreeFactory::CreateFileBrower(7, nullptr, 0));
        QScopedPointer<IFileTree> picker(CFileTreeFactory::CreateFileBrower(CFileTreeFactory::kTreeFolders, nullptr, 0));
        QVERIFY(picker);
        auto* p = static_cast<CFileTreePicker*>(picker.data());
        CFileBrower* b = p->Browser();
        Settle(b);
        QVERIFY(!b->Model()->IsCheckEnabled());
        // Folders only: a folder lists its sub-folders, not its files.
        const NodeIndex pick = Reach(b, {CGetDataCommon::ComputerName(), "C:", "Pick"});
        QVERIFY(pick);
        QVERIFY(!Child(Node(pick)->Parent(), "file.txt"));
        b->SetCurrentNode(pick);
        QStringList seen;
        CMsgBox::SetAutoAnswer([&seen](const CMsgBox::Record& r) {
            seen.append(r.dialog);
            return int(CKWPopWnd::BtnOk);
        });
        QCOMPARE(picker->GetDialog()->Run(), int(CKWPopWnd::BtnOk));
        QCOMPARE(picker->GetSelectedPath(), QStringLiteral("C:\\Pick"));
        QCOMPARE(seen.size(), 1);
    }

    void systemIcons()
    {
        QVERIFY(CKWBrowserIconProc::GetSysPixBufFileName(3).isEmpty());
        QScopedPointer<CKWBrowserIconProc> proc(CKWBrowserIconProc::CreateBrowseIconProc());
        QVERIFY(!proc->SysIcon(CKWBrowserIconProc::kSysComputer).isNull());
        QVERIFY(!proc->FolderIcon().isNull());
        QVERIFY(proc->SysIcon(2).isNull());
    }
};

QTEST_MAIN(TestPicker)
#include "tst_picker.moc"
