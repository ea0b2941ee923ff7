// rerizo.dll: a small local IPC library. A server registers execution objects under an interface and method
// name and serves the interface on the named pipe "\\.\pipe\rerizo-<interface>"; a client sends key/value
// requests there and gets the method's integer result back. Programs on other machines are refused, by the
// pipe's flag and by its access list. Requests are handled one after another, each with time limits, so a
// client that stalls cannot hold the server.
// The system headers below need windows.h first.
// clang-format off
#include <windows.h>
#include <sddl.h>
// clang-format on

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "RerizoWire.h"
#include "service/EasyIpc.h"

using namespace easyipc;

namespace {

const DWORD kIoTimeoutMs = 5000;

std::wstring ToWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string ToU16(const wchar_t* text) {
    std::u16string out;
    for (; text && *text; ++text) out.push_back(static_cast<char16_t>(*text));
    return out;
}

std::wstring PipeName(const wchar_t* interfaceName) { return std::wstring(L"\\\\.\\pipe\\rerizo-") + interfaceName; }

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : m_h(h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    void Reset(HANDLE h = nullptr) {
        if (m_h && m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
        m_h = h;
    }
    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h && m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

class Param final : public IEasyIpcParam {
public:
    void Release() override { delete this; }
    void SetValue(const wchar_t* key, const wchar_t* value) override {
        if (!key) return;
        for (auto& entry : m_values) {
            if (entry.first == key) {
                entry.second = value ? value : L"";
                return;
            }
        }
        m_values.emplace_back(key, value ? value : L"");
    }
    int GetCount() override { return static_cast<int>(m_values.size()); }
    const wchar_t* GetKeyAt(int i) override { return InRange(i) ? m_values[i].first.c_str() : nullptr; }
    const wchar_t* GetValueAt(int i) override { return InRange(i) ? m_values[i].second.c_str() : nullptr; }
    void Clear() override { m_values.clear(); }
    const wchar_t* GetValue(const wchar_t* key, const wchar_t* defaultValue) override {
        if (key) {
            for (const auto& entry : m_values) {
                if (entry.first == key) return entry.second.c_str();
            }
        }
        return defaultValue;
    }

private:
    bool InRange(int i) const { return i >= 0 && static_cast<size_t>(i) < m_values.size(); }
    std::vector<std::pair<std::wstring, std::wstring>> m_values;
};

// Waits for an overlapped operation, giving up on `stop` or after the timeout (then the operation is cancelled).
bool FinishIo(HANDLE pipe, OVERLAPPED& ov, BOOL started, HANDLE stop, DWORD timeout, DWORD& bytes, DWORD& error) {
    error = started ? ERROR_SUCCESS : GetLastError();
    if (!started && error != ERROR_IO_PENDING) return false;
    if (!started) {
        HANDLE events[2] = {ov.hEvent, stop};
        const DWORD waited = WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, timeout);
        if (waited != WAIT_OBJECT_0) {
            CancelIo(pipe);
            GetOverlappedResult(pipe, &ov, &bytes, TRUE);
            error = ERROR_OPERATION_ABORTED;
            return false;
        }
    }
    if (!GetOverlappedResult(pipe, &ov, &bytes, FALSE)) {
        error = GetLastError();
        return false;
    }
    error = ERROR_SUCCESS;
    return true;
}

class IpcObject;

// Serves one interface on its own thread.
class Server {
public:
    Server(IpcObject& owner, std::wstring interfaceName) : m_owner(owner), m_interface(std::move(interfaceName)) {}
    ~Server() { Stop(); }
    bool Start() {
        m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!m_stop) return false;
        m_thread.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
        return static_cast<bool>(m_thread);
    }
    void Stop() {
        if (!m_thread) return;
        SetEvent(m_stop.Get());
        WaitForSingleObject(m_thread.Get(), INFINITE);
        m_thread.Reset();
    }

private:
    static DWORD WINAPI ThreadMain(void* self) {
        static_cast<Server*>(self)->Loop();
        return 0;
    }
    void Loop();
    void ServeClient(HANDLE pipe, OVERLAPPED& ov);

    IpcObject& m_owner;
    std::wstring m_interface;
    Handle m_stop;
    Handle m_thread;
};

class IpcObject final : public IEasyIpcObject {
public:
    void Release() override {
        {
            // Servers first: no Exec may run while the execution objects go.
            std::map<std::wstring, std::unique_ptr<Server>> servers;
            EnterCriticalSection(&m_lock);
            servers.swap(m_servers);
            LeaveCriticalSection(&m_lock);
        }
        for (auto& entry : m_execs) entry.second->Release();
        m_execs.clear();
        delete this;
    }

    int Register(const wchar_t* interfaceName, const wchar_t* methodName, IEasyIpcExecObject* exec) override {
        if (!interfaceName || !methodName || !*interfaceName || !*methodName) {
            if (exec) exec->Release();
            return kIpcBadArgument;
        }
        if (!exec) return kIpcBadArgument;
        EnterCriticalSection(&m_lock);
        auto& slot = m_execs[Key(interfaceName, methodName)];
        IEasyIpcExecObject* old = std::exchange(slot, exec);
        LeaveCriticalSection(&m_lock);
        if (old) old->Release();
        return kIpcOk;
    }

    int Unregister(const wchar_t* interfaceName, const wchar_t* methodName) override {
        if (!interfaceName || !methodName) return kIpcBadArgument;
        // Unregistering while serving would race with a running Exec: stop that interface first.
        StopServe(interfaceName);
        EnterCriticalSection(&m_lock);
        IEasyIpcExecObject* old = nullptr;
        auto found = m_execs.find(Key(interfaceName, methodName));
        if (found != m_execs.end()) {
            old = found->second;
            m_execs.erase(found);
        }
        LeaveCriticalSection(&m_lock);
        if (!old) return kIpcNotRegistered;
        old->Release();
        return kIpcOk;
    }

    int StartServe(const wchar_t* interfaceName) override {
        if (!interfaceName || !*interfaceName) return kIpcBadArgument;
        EnterCriticalSection(&m_lock);
        auto& slot = m_servers[interfaceName];
        bool ok = true;
        if (!slot) {
            slot = std::make_unique<Server>(*this, interfaceName);
            ok = slot->Start();
            if (!ok) m_servers.erase(interfaceName);
        }
        LeaveCriticalSection(&m_lock);
        return ok ? kIpcOk : kIpcTransport;
    }

    int StopServe(const wchar_t* interfaceName) override {
        if (!interfaceName) return kIpcBadArgument;
        std::unique_ptr<Server> server;
        EnterCriticalSection(&m_lock);
        auto found = m_servers.find(interfaceName);
        if (found != m_servers.end()) {
            server = std::move(found->second);
            m_servers.erase(found);
        }
        LeaveCriticalSection(&m_lock);
        return server ? kIpcOk : kIpcNoServer;  // the server's destructor waits for its thread
    }

    IEasyIpcParam* CreateParam() override { return new Param; }

    int Call(const wchar_t* interfaceName, const wchar_t* methodName, IEasyIpcParam* request, IEasyIpcParam*,
             int* result) override;

    // From a server thread: runs the registered method. The execution object stays registered meanwhile,
    // because unregistering stops the server and so waits for this call.
    int Dispatch(const std::wstring& interfaceName, const std::wstring& methodName, IEasyIpcParam* request,
                 int& result) {
        EnterCriticalSection(&m_lock);
        auto found = m_execs.find(Key(interfaceName.c_str(), methodName.c_str()));
        IEasyIpcExecObject* exec = found == m_execs.end() ? nullptr : found->second;
        LeaveCriticalSection(&m_lock);
        if (!exec) return kIpcNotRegistered;
        Param response;
        result = exec->Exec(request, &response);
        return kIpcOk;
    }

    IpcObject() { InitializeCriticalSection(&m_lock); }

private:
    ~IpcObject() { DeleteCriticalSection(&m_lock); }
    static std::wstring Key(const wchar_t* interfaceName, const wchar_t* methodName) {
        return std::wstring(interfaceName) + L'\n' + methodName;
    }

    CRITICAL_SECTION m_lock;
    std::map<std::wstring, IEasyIpcExecObject*> m_execs;  // owned
    std::map<std::wstring, std::unique_ptr<Server>> m_servers;
};

// Local System and administrators fully; signed-in users may connect, read and write but not create instances
// of the name (no squatting); network logons are denied outright.
const wchar_t kPipeSddl[] = L"D:P(D;;GA;;;NU)(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x12019b;;;AU)";

void Server::Loop() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeSddl, SDDL_REVISION_1, &descriptor, nullptr)) {
        return;
    }
    SECURITY_ATTRIBUTES sa = {sizeof sa, descriptor, FALSE};
    const std::wstring name = PipeName(m_interface.c_str());
    Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    while (event && WaitForSingleObject(m_stop.Get(), 0) != WAIT_OBJECT_0) {
        // First instance only: if another process already owns the name, do not share it with that process.
        Handle pipe(CreateNamedPipeW(name.c_str(),
                                     PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                     1, rerizo::kMaxMessageBytes, rerizo::kMaxMessageBytes, 0, &sa));
        if (!pipe) {
            WaitForSingleObject(m_stop.Get(), 1000);
            continue;
        }
        OVERLAPPED ov = {};
        ov.hEvent = event.Get();
        ResetEvent(ov.hEvent);
        DWORD bytes = 0, error = 0;
        const BOOL connected = ConnectNamedPipe(pipe.Get(), &ov);
        bool ready = false;
        if (!connected && GetLastError() == ERROR_PIPE_CONNECTED) {
            ready = true;
        } else {
            ready = FinishIo(pipe.Get(), ov, connected, m_stop.Get(), INFINITE, bytes, error);
        }
        if (ready) ServeClient(pipe.Get(), ov);
        DisconnectNamedPipe(pipe.Get());
    }
    LocalFree(descriptor);
}

void Server::ServeClient(HANDLE pipe, OVERLAPPED& ov) {
    std::vector<uint8_t> buffer(rerizo::kMaxMessageBytes + 1);
    DWORD bytes = 0, error = 0;
    ResetEvent(ov.hEvent);
    BOOL started = ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &ov);
    const bool read = FinishIo(pipe, ov, started, m_stop.Get(), kIoTimeoutMs, bytes, error);

    rerizo::WireAnswer answer;
    rerizo::WireRequest request;
    if (!read || !rerizo::DecodeRequest(buffer.data(), bytes, request)) {
        if (error == ERROR_OPERATION_ABORTED || error == ERROR_BROKEN_PIPE) return;
        answer.status = kIpcBadArgument;
    } else {
        Param param;
        for (const auto& [key, value] : request.values) param.SetValue(ToWide(key).c_str(), ToWide(value).c_str());
        int result = 0;
        answer.status = m_owner.Dispatch(ToWide(request.interfaceName), ToWide(request.methodName), &param, result);
        answer.result = result;
    }
    const std::vector<uint8_t> out = rerizo::EncodeAnswer(answer);
    ResetEvent(ov.hEvent);
    started = WriteFile(pipe, out.data(), static_cast<DWORD>(out.size()), nullptr, &ov);
    if (!FinishIo(pipe, ov, started, m_stop.Get(), kIoTimeoutMs, bytes, error)) return;
    // Disconnecting drops unread data: wait (briefly) until the client has read the answer and closed.
    uint8_t spare = 0;
    ResetEvent(ov.hEvent);
    started = ReadFile(pipe, &spare, 1, nullptr, &ov);
    FinishIo(pipe, ov, started, m_stop.Get(), kIoTimeoutMs, bytes, error);
}

int IpcObject::Call(const wchar_t* interfaceName, const wchar_t* methodName, IEasyIpcParam* request, IEasyIpcParam*,
                    int* result) {
    if (!interfaceName || !methodName || !result) return kIpcBadArgument;
    rerizo::WireRequest wire;
    wire.interfaceName = ToU16(interfaceName);
    wire.methodName = ToU16(methodName);
    if (request) {
        for (int i = 0; i < request->GetCount(); ++i) {
            wire.values.emplace_back(ToU16(request->GetKeyAt(i)), ToU16(request->GetValueAt(i)));
        }
    }
    const std::vector<uint8_t> message = rerizo::EncodeRequest(wire);
    if (message.size() > rerizo::kMaxMessageBytes) return kIpcBadArgument;

    const std::wstring name = PipeName(interfaceName);
    Handle pipe;
    const DWORD start = GetTickCount();
    for (;;) {
        // Identification only: the server may learn who asks but cannot act as the caller.
        pipe.Reset(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        if (pipe) break;
        const DWORD error = GetLastError();
        if (GetTickCount() - start > kIoTimeoutMs) return kIpcNoServer;
        if (error == ERROR_PIPE_BUSY) {
            WaitNamedPipeW(name.c_str(), 500);
        } else if (error == ERROR_FILE_NOT_FOUND) {
            Sleep(50);  // between two clients the server has no instance open for a moment
        } else {
            return kIpcNoServer;
        }
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr)) return kIpcTransport;
    DWORD bytes = 0;
    if (!WriteFile(pipe.Get(), message.data(), static_cast<DWORD>(message.size()), &bytes, nullptr) ||
        bytes != message.size()) {
        return kIpcTransport;
    }
    uint8_t answerBytes[64] = {};
    if (!ReadFile(pipe.Get(), answerBytes, sizeof answerBytes, &bytes, nullptr)) return kIpcTransport;
    rerizo::WireAnswer answer;
    if (!rerizo::DecodeAnswer(answerBytes, bytes, answer)) return kIpcTransport;
    if (answer.status == kIpcOk) *result = answer.result;
    return answer.status;
}

}  // namespace

extern "C" __declspec(dllexport) void* __cdecl DllQueryInterface(const GUID* iid) {
    if (!iid || !IsEqualGUID(*iid, kIpcObjectIid)) return nullptr;
    return static_cast<IEasyIpcObject*>(new IpcObject);
}
