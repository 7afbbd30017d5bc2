#pragma once
// A backup page opened through the module's entry over a temporary drive table, with the host
// stand-in's backup context recording what the host is handed.
#include "FbTestUtil.h"

#include "CFileBRManager.h"
#include "CFileBackupLogicMgr.h"
#include "CFileBackupUI.h"
#include "CFilterBlock.h"
#include "CHostContext.h"
#include "CLibLoader.h"
#include "CMsgBox.h"
#include "CUIManagerProbe.h"
#include "CUIPublic.h"
#include "IBackupRecoverUI.h"
#include "PropValue.h"

#include <QFileInfo>
#include <QtTest>
#include <memory>

namespace backuptest {

using namespace fbtest;

// The drive table: C: and D: are folders of the temporary directory, Z: a letter mapped to the
// share \\srv\pub, which also appears in the network group with stored credentials; the NAS
// device "box" has its shares under \\srv. The server \\gone cannot be reached.
class Fixture
{
public:
    QTemporaryDir tmp;
    QString c, d, share;

    bool Build()
    {
        if (!tmp.isValid())
            return false;
        c = tmp.path() + "/c";
        d = tmp.path() + "/d";
        share = tmp.path() + "/share";
        for (const char* dir : {"/c/Work/Docs", "/c/Work/Other", "/c/Temp", "/d/Data", "/d/Other", "/share/Projects/Plan"})
            QDir().mkpath(tmp.path() + dir);
        // Each file holds its own base name.
        for (const char* file : {"/c/Work/Docs/a.txt", "/c/Work/Docs/b.txt", "/c/Work/Other/c.txt", "/c/Temp/t.txt",
                                 "/d/Data/d.txt", "/d/Data/e.txt", "/share/Projects/p.txt"})
            WriteFile(tmp.path() + file, QFileInfo(QString::fromLatin1(file)).baseName().toLatin1());
        const QString ini = QStringLiteral("[Drives]\nC=%1\nD=%2\nZ=\\\\srv\\pub\n"
                                           "[Network]\n\\\\srv\\pub=%3\n\\\\srv\\pub|user=alice\n"
                                           "\\\\srv\\pub|password=s3cret\n\\\\gone\\x=%4/missing\n"
                                           "[NAS]\nbox=\\\\srv\n[Options]\nEnvironment=0\n")
                                .arg(c, d, share, tmp.path());
        UseIni(tmp.path(), ini);
        const QString iniPath = tmp.path() + "/default.ini";
        CUIManagerProbe::SetDefaultIniPath(iniPath);
        const QString ui = tmp.path() + "/UIConfig.ini";
        WriteFile(ui, "[Public]\nIsWinPE=false\n[SupportCloud]\nFileBKSrc=false\n");
        CUIPublic::Instance()->SetConfigPathsForTest(ui, tmp.path() + "/UIConfigAdd.ini", iniPath);
        return true;
    }
};

struct ModuleDeleter
{
    void operator()(CFileBRManager* p) const { delete static_cast<ICommonUI*>(static_cast<IBackupRecoverUI*>(p)); }
};
typedef std::unique_ptr<CFileBRManager, ModuleDeleter> ModulePtr;

inline ModulePtr CreateModule()
{
    auto create = reinterpret_cast<NRModuleCreateFn>(CLibLoader::Resolve(QStringLiteral("UIFileModule"), "CreateObject"));
    if (!create)
        return nullptr;
    return ModulePtr(static_cast<CFileBRManager*>(static_cast<IBackupRecoverUI*>(create())));
}

// An opened backup page.
struct Page
{
    ModulePtr module;
    std::shared_ptr<CHostTaskData> data = std::make_shared<CHostTaskData>();
    QSharedPointer<IUICommon> context;
    uint32_t initResult = 0xFFFFFFFF;

    bool Open(uint64_t pageId)
    {
        module = CreateModule();
        if (!module)
            return false;
        context.reset(new CBackupHostContext(data));
        module->CreatePage(pageId, 0);
        initResult = module->InitPage(pageId, context, nullptr);
        Settle(Browser());
        return true;
    }
    CFileBackupLogicMgr* Manager() const { return module->BackupManager(); }
    CFileBackupUI* Ui() const { return Manager() ? Manager()->GetPage() : nullptr; }
    IFileBrower* Browser() const { return Ui() ? Ui()->GetBrower(0) : nullptr; }
    CFileBrower* FileBrower() const { return static_cast<CFileBrower*>(Browser()); }

    // Loads the folders down to path and answers its node.
    NodeIndex Reach(const QStringList& names) { return fbtest::Reach(FileBrower(), names); }
    NodeIndex ReachLocal(const QString& drive, const QStringList& names)
    {
        return Reach(QStringList{CGetDataCommon::ComputerName(), drive} + names);
    }
    // A click on a row's check box, through the model.
    bool Tick(NodeIndex node, int state) { return Browser()->SetNodeCheckState(node, state); }
    quint32 State(NodeIndex node) const { return FileBrower()->Model()->CheckState(node); }
};

inline CFilterBlock Parse(const QByteArray& block)
{
    CFilterBlock parsed;
    parsed.Parse(block.constData(), size_t(block.size()));
    return parsed;
}

// "path" for includes, "-path>owner" for exclusions, in block order.
inline QStringList Describe(const CFilterBlock& block)
{
    QStringList out;
    for (const CFilterBlock::Entry& e : block.Entries()) {
        if (e.IsExclusion())
            out << QStringLiteral("-%1>%2").arg(e.path.toUpper()).arg(block.Entries()[int(e.owner)].path.toUpper());
        else
            out << e.path.toUpper();
    }
    return out;
}

} // namespace backuptest
