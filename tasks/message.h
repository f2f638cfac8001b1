// Every message box of the program goes through here, so tests can capture them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace nagitome {

enum class MessageIcon { Error, Warning, Information };

// A modal box owned by the main dialog, caption "Nagitome", OK button.
void ShowMessage(std::wstring_view text, MessageIcon icon);
inline void ShowError(std::wstring_view text) { ShowMessage(text, MessageIcon::Error); }

// Tests divert the boxes; an empty function restores the real ones.
using MessageSink = std::function<void(std::wstring_view text, MessageIcon icon)>;
void SetMessageSink(MessageSink sink);

// The main dialog's window handle (an HWND), owner of every box; null before it exists.
void SetMainWindow(void* hwnd);
void* MainWindow();

}  // namespace nagitome
