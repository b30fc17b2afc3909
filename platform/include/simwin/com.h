// COM basics in the platform's C layout: an interface is a structure whose
// first member points to its table of functions, each taking the interface
// pointer first. IUnknown and IClassFactory, and the in-process server
// exports that a COM host looks up.
#pragma once

#include "guid.h"

typedef struct IUnknown IUnknown;
typedef IUnknown* LPUNKNOWN;

typedef struct IUnknownVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IUnknown* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IUnknown* This);
    ULONG(STDMETHODCALLTYPE* Release)(IUnknown* This);
} IUnknownVtbl;

struct IUnknown {
    CONST_VTBL IUnknownVtbl* lpVtbl;
};

typedef struct IClassFactory IClassFactory;
typedef IClassFactory* LPCLASSFACTORY;

typedef struct IClassFactoryVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IClassFactory* This, REFIID riid, void** ppvObject);
    ULONG(STDMETHODCALLTYPE* AddRef)(IClassFactory* This);
    ULONG(STDMETHODCALLTYPE* Release)(IClassFactory* This);
    HRESULT(STDMETHODCALLTYPE* CreateInstance)
    (IClassFactory* This, IUnknown* pUnkOuter, REFIID riid, void** ppvObject);
    HRESULT(STDMETHODCALLTYPE* LockServer)(IClassFactory* This, BOOL fLock);
} IClassFactoryVtbl;

struct IClassFactory {
    CONST_VTBL IClassFactoryVtbl* lpVtbl;
};

#define IUnknown_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IUnknown_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IUnknown_Release(p) (p)->lpVtbl->Release(p)
#define IClassFactory_QueryInterface(p, a, b) (p)->lpVtbl->QueryInterface(p, a, b)
#define IClassFactory_AddRef(p) (p)->lpVtbl->AddRef(p)
#define IClassFactory_Release(p) (p)->lpVtbl->Release(p)
#define IClassFactory_CreateInstance(p, a, b, c) (p)->lpVtbl->CreateInstance(p, a, b, c)
#define IClassFactory_LockServer(p, a) (p)->lpVtbl->LockServer(p, a)

extern "C" const IID IID_IUnknown;
extern "C" const IID IID_IClassFactory;

// The exports of an in-process server.
STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
STDAPI DllCanUnloadNow(void);
typedef HRESULT(STDAPICALLTYPE* LPFNGETCLASSOBJECT)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(STDAPICALLTYPE* LPFNCANUNLOADNOW)(void);
