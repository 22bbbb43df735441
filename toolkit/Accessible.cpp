#include "toolkit/Accessible.h"

#include <oleacc.h>

#include "names/Wow64.h"

namespace tovanel {

namespace {

// The service's identifiers, as the platform's headers give them; defined
// here so that nothing links the accessibility library at start-up.
constexpr GUID kClsidAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIidAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kPropIdAccName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

// COM for this (the user interface) thread, from the system folder's
// ole32.dll, made the first time a screen reader asks and kept for the rest
// of the run once it is there; nothing when it cannot be had, and then
// tried again at the next request.
CoCreateInstanceFn ComForThisThread() {
  static CoCreateInstanceFn create = nullptr;
  if (create) return create;
  const auto init = FunctionAs<CoInitializeExFn>(SystemFunction(u"ole32.dll", "CoInitializeEx"));
  const auto make = FunctionAs<CoCreateInstanceFn>(SystemFunction(u"ole32.dll", "CoCreateInstance"));
  if (!init || !make) return nullptr;
  // Already initialised by someone else, in whatever model, is fine too.
  const HRESULT hr = init(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr) && hr != RPC_E_CHANGED_MODE) return nullptr;
  return create = make;
}

// The annotation service, released when the owner goes.
class TPropServices {
 public:
  TPropServices() {
    if (CoCreateInstanceFn make = ComForThisThread())
      if (FAILED(make(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIidAccPropServices,
                      reinterpret_cast<void**>(&services_))))
        services_ = nullptr;
  }
  ~TPropServices() {
    if (services_) services_->Release();
  }
  TPropServices(const TPropServices&) = delete;
  TPropServices& operator=(const TPropServices&) = delete;
  IAccPropServices* operator->() const { return services_; }
  explicit operator bool() const { return services_ != nullptr; }

 private:
  IAccPropServices* services_ = nullptr;
};

// COM loads the service's library, and the service may load more while it
// works: never while a guard holds redirection off.
bool SetName(HWND window, const Text& name) {
  const RedirectionRestored loads;
  const TPropServices services;
  return services &&
         SUCCEEDED(services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kPropIdAccName,
                                            reinterpret_cast<LPCWSTR>(name.c_str())));
}

void ClearName(HWND window) {
  const RedirectionRestored loads;
  const TPropServices services;
  MSAAPROPID props[] = {kPropIdAccName};
  if (services) services->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 1);
}

}  // namespace

AccessiblePlatform AccessiblePlatform::Real() { return {SetName, ClearName}; }

}  // namespace tovanel
