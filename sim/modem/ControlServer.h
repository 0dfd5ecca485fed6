// The DLL's end of the control channel: a thread that serves one request at a time on the
// channel's named pipe and hands each to the modem engine.
#pragma once

namespace simmodem {

// Called once when the DLL loads. Without a valid channel name, or when another process
// already serves the channel, the modem runs without a control channel.
void StartControlServer();

}  // namespace simmodem
