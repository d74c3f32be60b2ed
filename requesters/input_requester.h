#pragma once
#include <string>

// Asks for one line of text in a modal dialog of its own ("InputRequester") while the
// program's other windows are disabled. Any argument may be null. Returns the text confirmed
// with "OK" or Enter; the empty text on Escape, a close request or a quit message (which is
// put back on the queue for the caller's loop).
std::string RequestText(const char* title, const char* prompt, const char* defaultText);
