// Splits a Windows command line into named switches with optional values.
// Forgiving by design: text before the first "-" or "/" (the program path) is skipped, nothing ever fails,
// and the first occurrence of a repeated switch wins. Portable: no <windows.h>.
#pragma once

#include <map>
#include <string>

class CCmdLineParser {
public:
    using SwitchMap = std::map<std::wstring, std::wstring>;

    CCmdLineParser() = default;
    virtual ~CCmdLineParser() = default;

    // Replaces the switches with those of `text`. A null text changes nothing and answers false.
    bool Parse(const wchar_t* text);

    // Names are lower-cased when stored and looked up unless case-sensitive (the default is not).
    void SetCaseSensitive(bool caseSensitive) { m_caseSensitive = caseSensitive; }
    bool IsCaseSensitive() const { return m_caseSensitive; }

    SwitchMap::const_iterator FindSwitch(const wchar_t* name) const;
    SwitchMap::const_iterator End() const { return m_switches.end(); }

    bool HasSwitch(const wchar_t* name) const;
    // The switch is present and its value is not empty.
    bool HasSwitchValue(const wchar_t* name) const;
    // Copies the value (possibly empty) when the switch is present; otherwise answers false and leaves `value` alone.
    bool GetSwitchValue(const wchar_t* name, std::wstring& value) const;

    const std::wstring& CommandLine() const { return m_commandLine; }
    const SwitchMap& Switches() const { return m_switches; }

private:
    std::wstring NormalizedName(std::wstring name) const;
    void Insert(std::wstring name, std::wstring value);

    std::wstring m_commandLine;
    SwitchMap m_switches;
    bool m_caseSensitive = false;
};
