#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/RunProcessRules.h"
#include "service/ServiceCmdLine.h"
#include "service/ServiceLogFormat.h"
#include "service/Workers.h"

namespace {

TEST(ServiceCmdLine, SwitchesAreMatchedWholeAndWithoutCase) {
    struct Case {
        std::vector<std::wstring> args;
        bool install, uninstall, start;
    } cases[] = {
        {{L"velmorasvc.exe"}, false, false, false},
        {{L"svc", L"-i"}, true, false, false},
        {{L"svc", L"-INSTALL", L"-Start"}, true, false, true},
        {{L"svc", L"-u"}, false, true, false},
        {{L"svc", L"-Uninstall"}, false, true, false},
        {{L"svc", L"-c"}, false, false, true},
        {{L"svc", L"-s"}, false, false, false},
        {{L"svc", L"/i", L"install", L"-ins", L"-installx", L"--install"}, false, false, false},
        {{L"-i", L"-u", L"-c"}, true, true, true},
    };
    for (const Case& c : cases) {
        const ServiceCommand command = ParseServiceArgs(c.args);
        EXPECT_EQ(command.install, c.install) << c.args.back();
        EXPECT_EQ(command.uninstall, c.uninstall) << c.args.back();
        EXPECT_EQ(command.start, c.start) << c.args.back();
    }
}

TEST(ServiceLogFormat, PrefixSeparatorAndSizeRule) {
    EXPECT_EQ(FormatLogPrefix({2026, 1, 2, 3, 4, 5, 7}), "2026-01-02 03:04:05|~0007| ");
    EXPECT_EQ(FormatLogPrefix({999, 12, 31, 23, 59, 59, 123456}), "0999-12-31 23:59:59|~123456| ");
    EXPECT_EQ(LogSeparator(), std::string(69, '=') + "\r\n\r\n");
    EXPECT_FALSE(LogNeedsTruncation(0));
    EXPECT_FALSE(LogNeedsTruncation(10485760));
    EXPECT_TRUE(LogNeedsTruncation(10485761));

    std::string line;
    AppendLogPiece(line, L"dwState=");
    AppendLogPiece(line, 4u);
    AppendLogPiece(line, -2);  // numbers are written unsigned
    AppendLogPiece(line, std::wstring(L" \u7ef4\U0001F600"));
    AppendLogPiece(line, static_cast<const wchar_t*>(nullptr));
    EXPECT_EQ(line, std::string("dwState=44294967294 \xE7\xBB\xB4\xF0\x9F\x98\x80"));
}

TEST(RunProcessRules, ParentStepsFolderAndCommandLine) {
    struct Case {
        const wchar_t* exe;
        bool parentStep;
    } steps[] = {
        {L"update.exe", false},     {L"sub\\tool.exe", false}, {L"a..b.exe", false},  {L"..", true},
        {L"..\\x.exe", true},       {L"../x.exe", true},       {L"sub\\..\\x", true}, {L"sub/..", true},
        {L"sub\\...\\x.exe", true},  // a "\.." prefix is enough to refuse
    };
    for (const Case& c : steps) EXPECT_EQ(HasParentStep(c.exe), c.parentStep) << c.exe;

    struct Inside {
        const wchar_t* path;
        const wchar_t* folder;
        bool inside;
    } inside[] = {
        {L"C:\\Svc\\a.exe", L"C:\\svc\\", true},  {L"c:/svc/sub/a.exe", L"C:\\Svc\\", true},
        {L"C:\\svc\\", L"C:\\svc\\", false},      {L"C:\\svc2\\a.exe", L"C:\\svc\\", false},
        {L"C:\\svca.exe", L"C:\\svc", false},     {L"C:\\a.exe", L"", false},
        {L"D:\\svc\\a.exe", L"C:\\svc\\", false},
    };
    for (const Inside& c : inside) EXPECT_EQ(IsInsideFolder(c.path, c.folder), c.inside) << c.path;

    EXPECT_EQ(BuildLaunchCommandLine(L"C:\\a b\\x.exe", L"/q"), L"\"C:\\a b\\x.exe\" /q");
    EXPECT_EQ(BuildLaunchCommandLine(L"C:\\x.exe", L""), L"\"C:\\x.exe\" ");
}

// A clock the test moves by hand.
class FakeClock : public IWorkerClock {
public:
    uint32_t TickCount() override { return tick; }
    WorkerDate LocalDate() override { return date; }
    uint32_t tick = 0;
    WorkerDate date{2026, 3, 14};
};

struct Launches {
    std::vector<std::wstring> seen;
    WorkerLaunch Fn() {
        return [this](const std::wstring& exe, const std::wstring& params) {
            seen.push_back(exe + L" " + params);
            return false;  // a failed launch still moves the schedule on
        };
    }
};

// Ticks every 5 s from `from` to `to` (milliseconds after `base`) and answers the offsets of the launches.
std::vector<uint32_t> TickRange(IWorker& worker, FakeClock& clock, Launches& launches, uint32_t base, uint32_t from,
                                uint32_t to) {
    std::vector<uint32_t> at;
    for (uint32_t t = from; t <= to; t += 5000) {
        clock.tick = base + t;
        const size_t before = launches.seen.size();
        worker.Tick();
        if (launches.seen.size() != before) at.push_back(t);
    }
    return at;
}

TEST(Workers, FirstDelayThenIntervalAcrossTheTickCountWrap) {
    struct Case {
        uint32_t base;  // the tick count at Begin
        const char* what;
    } cases[] = {{1000, "plain"},
                 {0xFFFFFFFFu - 30000, "wraps before the first launch"},
                 {0xFFFFFFFFu - 1900000, "wraps between the launches"}};
    for (const Case& c : cases) {
        FakeClock clock;
        Launches launches;
        KCommonWroker worker(clock, launches.Fn());
        worker.SetExePath(L"C:\\svc\\update.exe");
        worker.SetParams(L"/autorun");
        clock.tick = c.base;
        worker.Begin();
        worker.SetFirstDelay(1800000);
        worker.SetInterval(7200000);
        // Launch only once more than the delay has passed: at 1,800,000 + 5 s, then two hours after that.
        const std::vector<uint32_t> at = TickRange(worker, clock, launches, c.base, 0, 1800000 + 7200000 + 10000);
        EXPECT_EQ(at, (std::vector<uint32_t>{1805000, 1805000 + 7205000})) << c.what;
        ASSERT_FALSE(launches.seen.empty());
        EXPECT_EQ(launches.seen[0], L"C:\\svc\\update.exe /autorun");
    }
}

TEST(Workers, ZeroIntervalLaunchesOnlyOnce) {
    FakeClock clock;
    Launches launches;
    KCommonWroker worker(clock, launches.Fn());
    worker.Begin();
    worker.SetFirstDelay(10000);
    worker.SetInterval(0);
    EXPECT_EQ(TickRange(worker, clock, launches, 0, 0, 3600000), (std::vector<uint32_t>{15000}));
}

TEST(Workers, DailyWorkerLaunchesOncePerCalendarDay) {
    FakeClock clock;
    Launches launches;
    KActiveWroker worker(clock, launches.Fn());
    clock.tick = 500;
    worker.Begin();
    worker.SetFirstDelay(60000);
    worker.SetInterval(1800000);
    worker.SetExePath(L"velmora.exe");
    worker.SetParams(L"/svcactive");

    // Sixty seconds after the start, then not again that day however long it runs.
    EXPECT_EQ(TickRange(worker, clock, launches, 500, 0, 4 * 3600000), (std::vector<uint32_t>{65000}));
    EXPECT_EQ(worker.Tick(), 0);  // same day: nothing to do

    struct Step {
        WorkerDate date;
        uint32_t minutesLater;
        bool launches;
    } steps[] = {
        {{2026, 3, 15}, 10, true},    // the next day, first tick past the 30-minute interval
        {{2026, 3, 15}, 600, false},  // same day again
        {{2026, 3, 16}, 0, true},    {{2026, 3, 17}, 20, false},  // a new day but within 30 minutes of the last launch
        {{2026, 3, 17}, 11, true},                                // then the first tick past them
        {{2026, 4, 17}, 60, true},  // same day of the month as before, yet another month: a new day
        {{2027, 4, 17}, 60, true},  // and another year
    };
    for (const Step& s : steps) {
        clock.date = s.date;
        clock.tick += s.minutesLater * 60000;
        const size_t before = launches.seen.size();
        worker.Tick();
        EXPECT_EQ(launches.seen.size() != before, s.launches) << s.date.year << "-" << s.date.month;
    }
    EXPECT_EQ(launches.seen.front(), L"velmora.exe /svcactive");
}

}  // namespace
