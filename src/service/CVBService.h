// The concrete service: the host plus the manager that serves RunProcess and runs the workers. Windows only.
#pragma once

#include "service/CEasyIpcManager.h"
#include "service/CNTService.h"

class CVBService : public CNTService {
public:
    CVBService();

    bool OnInit() override;
    void OnUninit() override;

private:
    CEasyIpcManager m_manager;
};
