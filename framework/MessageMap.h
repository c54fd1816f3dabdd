// Message maps: the one way a class handles window messages, commands and
// notifications. Each class that handles any has a static table of entries
// and a map that points to its base class's map; look-ups go from the most
// derived map to the root, and the first matching entry wins. A handler
// that wants the base behaviour calls the base class's handler (or
// Default() for the window's own processing).
//
//   const MessageMapEntry CMyDlg::messageEntries[] = {
//       On::Message<&CMyDlg::OnTimer>(WM_TIMER),
//       On::Command<&CMyDlg::OnRefresh>(ID_REFRESH),
//       On::Update<&CMyDlg::OnUpdateRefresh>(ID_REFRESH),
//       On::Notify<&CMyDlg::OnItemChanged>(LVN_ITEMCHANGED, IDC_LIST),
//       On::End(),
//   };
//   const MessageMap CMyDlg::messageMap = {&CDialog::messageMap, CMyDlg::messageEntries};
//
// A Reflect handler runs on the control's object while its parent handles
// the message: it must not call Default(), which belongs to the parent's
// message.
//
// Handler signatures, by kind:
//   Message, Registered, ReflectMessage: LRESULT (T::*)(WPARAM, LPARAM) or void (T::*)()
//   Command, Control, ReflectCommand:    void (T::*)()
//   CommandRange:                        void (T::*)(UINT id)
//   Update, UpdateRange:                 void (T::*)(CCmdUI*)
//   Notify, ReflectNotify:               void (T::*)(NMHDR*, LRESULT*)
#pragma once

#include <windows.h>

#include <type_traits>

#include "FwExport.h"

class CCmdTarget;
class CCmdUI;

enum class MsgKind : unsigned char {
    End,             // terminates a table
    Message,         // window message `code`
    Registered,      // registered message whose number is in *registered
    Command,         // command (menu, accelerator, button click) ids first..last
    Update,          // command-UI update of ids first..last
    Control,         // WM_COMMAND notification `code` from controls first..last
    Notify,          // WM_NOTIFY `code` from controls first..last
    ReflectCommand,  // WM_COMMAND notification `code`, handled by the control itself
    ReflectNotify,   // WM_NOTIFY `code`, handled by the control itself
    ReflectMessage,  // parent message `code` (WM_CTLCOLOR*, WM_DRAWITEM, ...) about the control
};

// What a handler is called with; `result` is the message's result.
struct MsgCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT id;
    CCmdUI* ui;
    LRESULT result;
};

using MsgThunk = void (*)(CCmdTarget* target, MsgCall& call);

struct MessageMapEntry {
    MsgKind kind;
    UINT code;
    UINT firstId;
    UINT lastId;
    const UINT* registered;
    MsgThunk thunk;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;  // ends with On::End()
};

namespace On {
namespace detail {

template <typename F> struct Member;
template <typename C, typename R, typename... A> struct Member<R (C::*)(A...)> {
    using Class = C;
    using Result = R;
};

template <auto F> using ClassOf = typename Member<decltype(F)>::Class;

template <auto F> void CallMessage(CCmdTarget* target, MsgCall& call) {
    auto* self = static_cast<ClassOf<F>*>(target);
    if constexpr (std::is_invocable_v<decltype(F), ClassOf<F>*, WPARAM, LPARAM>) {
        using R = std::invoke_result_t<decltype(F), ClassOf<F>*, WPARAM, LPARAM>;
        if constexpr (std::is_void_v<R>) {
            (self->*F)(call.wParam, call.lParam);
            call.result = 0;
        } else {
            call.result = static_cast<LRESULT>((self->*F)(call.wParam, call.lParam));
        }
    } else {
        (self->*F)();
        call.result = 0;
    }
}

template <auto F> void CallVoid(CCmdTarget* target, MsgCall&) { (static_cast<ClassOf<F>*>(target)->*F)(); }

template <auto F> void CallRange(CCmdTarget* target, MsgCall& call) {
    (static_cast<ClassOf<F>*>(target)->*F)(call.id);
}

template <auto F> void CallUpdate(CCmdTarget* target, MsgCall& call) {
    (static_cast<ClassOf<F>*>(target)->*F)(call.ui);
}

template <auto F> void CallNotify(CCmdTarget* target, MsgCall& call) {
    (static_cast<ClassOf<F>*>(target)->*F)(reinterpret_cast<NMHDR*>(call.lParam), &call.result);
}

}  // namespace detail

constexpr MessageMapEntry End() { return {MsgKind::End, 0, 0, 0, nullptr, nullptr}; }

template <auto F> constexpr MessageMapEntry Message(UINT message) {
    return {MsgKind::Message, message, 0, 0, nullptr, &detail::CallMessage<F>};
}
template <auto F> constexpr MessageMapEntry Registered(const UINT* message) {
    return {MsgKind::Registered, 0, 0, 0, message, &detail::CallMessage<F>};
}
template <auto F> constexpr MessageMapEntry Command(UINT id) {
    return {MsgKind::Command, 0, id, id, nullptr, &detail::CallVoid<F>};
}
template <auto F> constexpr MessageMapEntry CommandRange(UINT first, UINT last) {
    return {MsgKind::Command, 0, first, last, nullptr, &detail::CallRange<F>};
}
template <auto F> constexpr MessageMapEntry Update(UINT id) {
    return {MsgKind::Update, 0, id, id, nullptr, &detail::CallUpdate<F>};
}
template <auto F> constexpr MessageMapEntry UpdateRange(UINT first, UINT last) {
    return {MsgKind::Update, 0, first, last, nullptr, &detail::CallUpdate<F>};
}
template <auto F> constexpr MessageMapEntry Control(UINT code, UINT id) {
    return {MsgKind::Control, code, id, id, nullptr, &detail::CallVoid<F>};
}
template <auto F> constexpr MessageMapEntry Notify(UINT code, UINT id) {
    return {MsgKind::Notify, code, id, id, nullptr, &detail::CallNotify<F>};
}
template <auto F> constexpr MessageMapEntry NotifyRange(UINT code, UINT first, UINT last) {
    return {MsgKind::Notify, code, first, last, nullptr, &detail::CallNotify<F>};
}
template <auto F> constexpr MessageMapEntry ReflectCommand(UINT code) {
    return {MsgKind::ReflectCommand, code, 0, 0, nullptr, &detail::CallVoid<F>};
}
template <auto F> constexpr MessageMapEntry ReflectNotify(UINT code) {
    return {MsgKind::ReflectNotify, code, 0, 0, nullptr, &detail::CallNotify<F>};
}
template <auto F> constexpr MessageMapEntry ReflectMessage(UINT message) {
    return {MsgKind::ReflectMessage, message, 0, 0, nullptr, &detail::CallMessage<F>};
}

}  // namespace On

// The first entry of `kind` in the chain from `map` to the root that
// matches the message or notification `code` and the identifier `id`.
FW_API const MessageMapEntry* AfxFindMessageEntry(const MessageMap* map, MsgKind kind, UINT code, UINT id);
