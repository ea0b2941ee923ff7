// The binary interface of the local IPC library "rerizo.dll" as its users see it: an IPC object reached through
// the export DllQueryInterface, execution objects registered under an interface and method name, and request
// objects holding key/value texts. Slot order is the contract: add nothing in between.
// No virtual destructors: ownership passes by Release, and a virtual destructor would take two slots.
#pragma once

#include <windows.h>

namespace easyipc {

// {0BCAB04C-E848-4D9F-955A-D11FFE7ECF12}: the IPC object.
inline constexpr GUID kIpcObjectIid = {0x0bcab04c, 0xe848, 0x4d9f, {0x95, 0x5a, 0xd1, 0x1f, 0xfe, 0x7e, 0xcf, 0x12}};

// Key/value texts of one request or response. Texts answered stay valid until the object changes or is released.
class IEasyIpcParam {
public:
    virtual void Release() = 0;                                           // 0
    virtual void SetValue(const wchar_t* key, const wchar_t* value) = 0;  // 1
    virtual int GetCount() = 0;                                           // 2
    virtual const wchar_t* GetKeyAt(int index) = 0;                       // 3: null when out of range
    virtual const wchar_t* GetValueAt(int index) = 0;                     // 4: null when out of range
    virtual void Clear() = 0;                                             // 5
    // The value of `key`, or `defaultValue` itself when the key is absent.
    virtual const wchar_t* GetValue(const wchar_t* key, const wchar_t* defaultValue) = 0;  // 6

protected:
    ~IEasyIpcParam() = default;
};

// What a server registers for one method. The library owns it after registering and releases it when it is
// unregistered or the IPC object goes. Exec may run on any of the library's threads.
class IEasyIpcExecObject {
public:
    virtual void Release() = 0;                                             // 0
    virtual int Exec(IEasyIpcParam* request, IEasyIpcParam* response) = 0;  // 1

protected:
    ~IEasyIpcExecObject() = default;
};

// Results of the IPC object's operations.
enum : int {
    kIpcOk = 0,
    kIpcBadArgument = -1,
    kIpcNotRegistered = -2,  // no such interface or method on the serving side
    kIpcNoServer = -3,       // nobody serves the interface on this machine
    kIpcTransport = -4,      // the request or answer did not get through
};

class IEasyIpcObject {
public:
    virtual void Release() = 0;  // 0: stops all serving and releases the registered execution objects
    // 1: the object is owned by the library from here on, also when registering fails.
    virtual int Register(const wchar_t* interfaceName, const wchar_t* methodName, IEasyIpcExecObject* exec) = 0;
    virtual int Unregister(const wchar_t* interfaceName, const wchar_t* methodName) = 0;  // 2
    // 3, 4: accepting requests for an interface from programs on this machine (never from other machines).
    virtual int StartServe(const wchar_t* interfaceName) = 0;
    virtual int StopServe(const wchar_t* interfaceName) = 0;
    // 5: an empty request or response object, owned by the caller (Release).
    virtual IEasyIpcParam* CreateParam() = 0;
    // 6: sends the request to whoever serves the interface and waits for the method's result.
    virtual int Call(const wchar_t* interfaceName, const wchar_t* methodName, IEasyIpcParam* request,
                     IEasyIpcParam* response, int* result) = 0;

protected:
    ~IEasyIpcObject() = default;
};

// The export: the object for `iid` (a new reference, Release when done), or null for an unknown id.
using DllQueryInterfaceFn = void*(__cdecl*)(const GUID* iid);

}  // namespace easyipc
