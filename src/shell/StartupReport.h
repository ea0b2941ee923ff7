// The record velmora sends when the background service starts it with "svcactive". Portable.
#pragma once

#include <memory>

#include "report/ReportRecord.h"

inline constexpr const wchar_t* kServiceStartSchema =
    L"driver_startup_svc:106 autorun:byte start_time:int installdays:int buildnumber:int productinfo:int ver:byte "
    L"last_reporttime:int";

// A filled record of table driver_startup_svc, ready to be posted.
std::unique_ptr<Reporter::ReportInfocData> BuildServiceStartRecord();

// True when the command line asks for the service-start mode ("svcactive" in any case, after "-" or "/").
bool IsServiceStartCommandLine(const wchar_t* commandLine);
