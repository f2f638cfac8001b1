#include "tasks/message.h"

#include <cstdio>
#include <utility>

namespace nagitome {

namespace {
MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}
}  // namespace

MessageSink SetMessageSink(MessageSink sink) { return std::exchange(Sink(), std::move(sink)); }

void ShowMessage(std::wstring_view text, MessageIcon icon) {
  if (Sink()) return Sink()(text, icon);
  std::fprintf(stderr, "%ls\n", std::wstring(text).c_str());
}

}  // namespace nagitome
