#include "CWaitSearchFinish.h"

#include "CUISearchFileData.h"

CWaitSearchFinish::CWaitSearchFinish(QSharedPointer<CUISearchFileData> data) : searchData(std::move(data)) {}

CWaitSearchFinish::~CWaitSearchFinish() = default;

qint64 CWaitSearchFinish::WaitFinish()
{
    if (searchData) {
        searchData->SetExit();
        searchData->WaitFinish();
    }
    return 0;
}
