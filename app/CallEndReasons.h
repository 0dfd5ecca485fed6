// Why a carrier ended a call it was placing, read from what the carriers report: the modem's
// event codes and the Skype client's call statuses. Anything else tells nothing.
#pragma once

#include <string_view>

#include "calllog/CallTracker.h"

calllog::EndReason ModemEndReason(int modemEventCode);
calllog::EndReason SkypeEndReason(std::string_view callStatus);
