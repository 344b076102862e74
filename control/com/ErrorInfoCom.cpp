#include "control/com/ErrorInfoCom.h"

#include <windows.h>
#include <oleauto.h>

#include <optional>
#include <string>

#include "control/ErrorInfo.h"
#include "control/com/ComUtil.h"
#include "control/com/Guids.h"

namespace vellumark::com {

bool InstallErrorInfo(std::u16string_view description) noexcept {
    try {
        TComPtr<ICreateErrorInfo> create;
        if (FAILED(CreateErrorInfo(create.Put()))) {
            ::SetErrorInfo(0, nullptr);
            return false;
        }
        const std::wstring text = Wide(description);
        create->SetGUID(kIID_IPDFDoc);
        create->SetSource(const_cast<LPOLESTR>(kProgIDText));
        create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
        create->SetHelpContext(0);
        TComPtr<IErrorInfo> info;
        if (FAILED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.Put())))) {
            ::SetErrorInfo(0, nullptr);
            return false;
        }
        ::SetErrorInfo(0, info.Get());
        return true;
    } catch (...) {
        ::SetErrorInfo(0, nullptr);
        return false;
    }
}

void PublishPendingErrorInfo() noexcept {
    try {
        if (std::optional<TErrorInfo> pending = vellumark::GetErrorInfo())
            InstallErrorInfo(pending->description);
        else
            ::SetErrorInfo(0, nullptr);
    } catch (...) {
        ::SetErrorInfo(0, nullptr);
    }
}

}  // namespace vellumark::com
