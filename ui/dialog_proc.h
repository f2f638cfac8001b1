// One shape for every dialog procedure: the dialog's state object comes with WM_INITDIALOG and
// stays in the window's user data, and no exception crosses into the system (a message that
// failed, out of memory, is left unhandled).
#pragma once

#include <windows.h>

namespace nagitome {

// The state object the dialog was run with; null before its WM_INITDIALOG.
template <typename State>
State* DialogState(HWND dialog) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

// Handle answers for the dialog as a dialog procedure does, with the dialog's state.
template <typename State, INT_PTR (*Handle)(State&, HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    State* state = DialogState<State>(dialog);
    return state ? Handle(*state, dialog, message, wParam, lParam) : FALSE;
  } catch (...) {
    return FALSE;
  }
}

// Runs dialog template id modally over owner; state lives as long as the dialog does.
template <typename State, INT_PTR (*Handle)(State&, HWND, UINT, WPARAM, LPARAM)>
INT_PTR RunDialog(HINSTANCE instance, int id, HWND owner, State& state) {
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(id), owner, DialogProc<State, Handle>,
                         reinterpret_cast<LPARAM>(&state));
}

}  // namespace nagitome
