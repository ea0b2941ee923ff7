#include "shell/StartupReport.h"

#include "shell/CCmdLineParser.h"

std::unique_ptr<Reporter::ReportInfocData> BuildServiceStartRecord() {
    auto record = std::make_unique<Reporter::ReportInfocData>();
    record->SetSchema(kServiceStartSchema);
    record->AddNumber(L"autorun", 0);
    record->AddNumber(L"start_time", 0);
    record->AddNumber(L"installdays", 0);
    record->AddNumber(L"buildnumber", 0);
    record->AddNumber(L"productinfo", 0);
    record->AddNumber(L"ver", 1);
    record->AddNumber(L"last_reporttime", 0);
    return record;
}

bool IsServiceStartCommandLine(const wchar_t* commandLine) {
    CCmdLineParser parser;
    parser.SetCaseSensitive(false);
    parser.Parse(commandLine);
    return parser.HasSwitch(L"svcactive");
}
