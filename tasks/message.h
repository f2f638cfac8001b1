// Every message box of the program goes through here: the shell puts the real box in, tests
// their capture.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace nagitome {

enum class MessageIcon { Error, Warning, Information };

// Hands the text to the sink; without one (a host build, a test) it goes to standard error.
void ShowMessage(std::wstring_view text, MessageIcon icon);
inline void ShowError(std::wstring_view text) { ShowMessage(text, MessageIcon::Error); }

using MessageSink = std::function<void(std::wstring_view text, MessageIcon icon)>;
// Returns the sink it replaces.
MessageSink SetMessageSink(MessageSink sink);

}  // namespace nagitome
