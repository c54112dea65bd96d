// The interfaces through which a container hands an object its site and the
// object learns the page it sits on: IObjectWithSite, IOleClientSite with the
// document's moniker (IMoniker, IBindCtx) and IServiceProvider. Slots in
// Windows' order, as in interfaces_posix.h. Only included through com.h.
#pragma once

#include "com/interfaces_posix.h"

struct IStream;
struct IEnumMoniker;
struct IEnumString;
struct IRunningObjectTable;
struct IOleContainer;
struct BIND_OPTS;
struct FILETIME;
union ULARGE_INTEGER;

enum : DWORD { OLEGETMONIKER_ONLYIFTHERE = 1, OLEGETMONIKER_FORCEASSIGN = 2 };
enum : DWORD { OLEWHICHMK_CONTAINER = 1, OLEWHICHMK_OBJREL = 2, OLEWHICHMK_OBJFULL = 3 };

struct IObjectWithSite : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetSite(IUnknown* pUnkSite) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppvSite) = 0;
};

struct IBindCtx : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE RegisterObjectBound(IUnknown* punk) = 0;
  virtual HRESULT STDMETHODCALLTYPE RevokeObjectBound(IUnknown* punk) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReleaseBoundObjects() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBindOptions(BIND_OPTS* pbindopts) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBindOptions(BIND_OPTS* pbindopts) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRunningObjectTable(IRunningObjectTable** pprot) = 0;
  virtual HRESULT STDMETHODCALLTYPE RegisterObjectParam(LPOLESTR pszKey, IUnknown* punk) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetObjectParam(LPOLESTR pszKey, IUnknown** ppunk) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumObjectParam(IEnumString** ppenum) = 0;
  virtual HRESULT STDMETHODCALLTYPE RevokeObjectParam(LPOLESTR pszKey) = 0;
};

struct IPersist : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) = 0;
};

struct IPersistStream : IPersist {
  virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
  virtual HRESULT STDMETHODCALLTYPE Load(IStream* pStm) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save(IStream* pStm, BOOL fClearDirty) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pcbSize) = 0;
};

struct IMoniker : IPersistStream {
  virtual HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx* pbc, IMoniker* pmkToLeft,
                                                 REFIID riidResult, void** ppvResult) = 0;
  virtual HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx* pbc, IMoniker* pmkToLeft,
                                                  REFIID riid, void** ppvObj) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reduce(IBindCtx* pbc, DWORD dwReduceHowFar,
                                           IMoniker** ppmkToLeft, IMoniker** ppmkReduced) = 0;
  virtual HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker* pmkRight, BOOL fOnlyIfNotGeneric,
                                                IMoniker** ppmkComposite) = 0;
  virtual HRESULT STDMETHODCALLTYPE Enum(BOOL fForward, IEnumMoniker** ppenumMoniker) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsEqual(IMoniker* pmkOtherMoniker) = 0;
  virtual HRESULT STDMETHODCALLTYPE Hash(DWORD* pdwHash) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx* pbc, IMoniker* pmkToLeft,
                                              IMoniker* pmkNewlyRunning) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx* pbc, IMoniker* pmkToLeft,
                                                        FILETIME* pFileTime) = 0;
  virtual HRESULT STDMETHODCALLTYPE Inverse(IMoniker** ppmk) = 0;
  virtual HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker* pmkOther,
                                                     IMoniker** ppmkPrefix) = 0;
  virtual HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker* pmkOther,
                                                   IMoniker** ppmkRelPath) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx* pbc, IMoniker* pmkToLeft,
                                                   LPOLESTR* ppszDisplayName) = 0;
  virtual HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx* pbc, IMoniker* pmkToLeft,
                                                     LPOLESTR pszDisplayName, ULONG* pchEaten,
                                                     IMoniker** ppmkOut) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD* pdwMksys) = 0;
};

struct IOleClientSite : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SaveObject() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker,
                                               IMoniker** ppmk) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowObject() = 0;
  virtual HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL fShow) = 0;
  virtual HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() = 0;
};

struct IServiceProvider : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryService(REFGUID guidService, REFIID riid,
                                                 void** ppvObject) = 0;
};

extern const IID IID_IObjectWithSite;
extern const IID IID_IOleClientSite;
extern const IID IID_IMoniker;
extern const IID IID_IBindCtx;
extern const IID IID_IServiceProvider;

// The task allocator, which frees a moniker's display name.
PVOID CoTaskMemAlloc(size_t size);
void CoTaskMemFree(PVOID p);
// A bind context that holds no objects and no parameters.
HRESULT CreateBindCtx(DWORD reserved, IBindCtx** ppbc);
