/* The stand-in device's behaviour apart from the kernel: its answer to one LED request (untrusted
 * bytes) and the record of every request. Plain C without allocation, so the driver runs it and
 * the native tests check it. Not thread-safe: the driver holds a lock around every call. */
#ifndef VOXTELO_SIM_LED_LEDSIMDEVICE_H
#define VOXTELO_SIM_LED_LEDSIMDEVICE_H

#include <stddef.h>
#include <stdint.h>

#include "sim/led/LedSimProtocol.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct LedSimDevice {
    uint32_t led;
    uint32_t replyMode;
    uint32_t lastSeq;
    uint32_t held; /* entries in the ring; the newest is lastSeq */
    LedSimEntry ring[LEDSIM_RECORD_CAPACITY];
} LedSimDevice;

/* Judges the `length` bytes at `request` (only the first 24 are ever read), applies an accepted
 * PLED, writes the reply into `reply` when it fits `capacity`, and records the request with the
 * sender's process id. Returns the number of reply bytes (0 for none); `*entry` says why. */
size_t LedSimMethod(LedSimDevice* device, uint32_t process, const uint8_t* request, size_t length,
                    uint8_t* reply, size_t capacity, LedSimEntry* entry);

/* Writes a LedSimRecordHeader and the entries numbered above `afterSeq`, oldest first, as many
 * as fit `capacity`. Returns the bytes written, 0 when not even the header fits. */
size_t LedSimReadRecord(const LedSimDevice* device, uint32_t afterSeq, uint8_t* out,
                        size_t capacity);

/* Forgets the entries; the numbering and the LED go on. */
void LedSimClearRecord(LedSimDevice* device);

/* 0 when `mode` is not a LEDSIM_REPLY_ value. */
int LedSimSetReplyMode(LedSimDevice* device, uint32_t mode);

#ifdef __cplusplus
}
#endif

#endif
