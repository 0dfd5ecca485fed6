// The diagnostic log: each text is sent, synchronously, to this process's "Debug Window".
#pragma once

#include <windows.h>

#include <string_view>

// Sends `text` as UM_DEBUG_TEXT; the receiver adds one line break. An empty text is not sent;
// without a debug window of this process the text is dropped. A text longer than 1023 characters
// goes in consecutive pieces of at most 1023, each its own record, so nothing is lost.
void SendDebugText(std::string_view text);

// The most characters one record carries: the staging buffer holds them and a zero.
constexpr size_t kDebugTextPieceMax = 1023;

// Sends one record, as it stands, to this process's Debug Window (SendDebugText sends each
// piece this way): the window's answer, or 0 without one.
LRESULT SendDebugRecord(const COPYDATASTRUCT& record);

// Whether `record` is the one that this thread's writer is sending right now. The Debug Window
// takes no other: a record from another thread or posted from outside, of another program above
// all, holds an address that may mean nothing here.
bool IsDebugRecordBeingSent(const COPYDATASTRUCT* record);
