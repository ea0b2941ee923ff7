#include "service/CVBService.h"
#include "service/KServiceLog.h"

CVBService::CVBService() : CNTService(L"KMerrowSerivce") {}

bool CVBService::OnInit() {
    CNTService::OnInit();
    SvcLog(L"CWorkMgr Start begin");
    m_manager.Start();
    SvcLog(L"CWorkMgr Start end");
    return true;
}

void CVBService::OnUninit() {
    m_manager.Stop();
    CNTService::OnUninit();
}
