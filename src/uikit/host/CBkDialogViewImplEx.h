// The host template an application window class derives from: CBkDialogViewImplEx<MyWindow>. The window class
// may declare `static const wchar_t* GetWndClassName()` to register under its own class name (else a generated
// "ATL:%p" name), and overrides ProcessWindowMessage to handle WM_NOTIFY (host notifications) and its own
// messages, passing everything else to the base. See CBkDialogViewBase.h for the host's behaviour.
#pragma once

#include <memory>
#include <type_traits>

#include "uikit/element/CBkDialog.h"
#include "uikit/host/CBkDialogViewBase.h"

// Window traits: the styles used when the document gives none.
template <DWORD Style, DWORD ExStyle>
struct CBkWinTraits {
    static constexpr DWORD kStyle = Style;
    static constexpr DWORD kExStyle = ExStyle;
};
using CBkDialogViewTraits = CBkWinTraits<0x52010000, 0x10000>;

template <class T, class TDialog = CBkDialog, class TBase = CBkDialogViewBase, class TTraits = CBkDialogViewTraits>
class CBkDialogViewImplEx : public TBase {
    static_assert(std::is_base_of<CBkDialog, TDialog>::value, "sections are containers");
    static_assert(std::is_base_of<CBkDialogViewBase, TBase>::value, "the base is a dialog host");

public:
    CBkDialogViewImplEx() : TBase(TTraits::kStyle, TTraits::kExStyle) {}

    // Hidden by a window class that wants its own class name.
    static const wchar_t* GetWndClassName() { return nullptr; }

protected:
    CBkWndClassInfo& WndClassInfo() override {
        // One class per window class T.
        static CBkWndClassInfo info(T::GetWndClassName(), CS_DBLCLKS);
        return info;
    }
    std::unique_ptr<CBkDialog> CreateSection() override { return std::make_unique<TDialog>(); }
};
