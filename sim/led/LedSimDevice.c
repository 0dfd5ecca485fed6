/* Request words are read byte by byte, little-endian: no size or alignment is taken on trust. */
#include "sim/led/LedSimDevice.h"

static uint32_t Get32(const uint8_t* at) {
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

static void Put32(uint8_t* at, uint32_t value) {
    at[0] = (uint8_t)value;
    at[1] = (uint8_t)(value >> 8);
    at[2] = (uint8_t)(value >> 16);
    at[3] = (uint8_t)(value >> 24);
}

static void Copy(void* to, const void* from, size_t size) {
    uint8_t* out = (uint8_t*)to;
    const uint8_t* in = (const uint8_t*)from;
    while (size--) {
        *out++ = *in++;
    }
}

static void Zero(void* at, size_t size) {
    uint8_t* out = (uint8_t*)at;
    while (size--) {
        *out++ = 0;
    }
}

/* The header words, then the argument; the length alone decides the form. */
static uint8_t Judge(const uint8_t* request, size_t length, LedSimEntry* entry) {
    if (request && length == LEDSIM_INLINE_REQUEST_SIZE) {
        entry->form = LEDSIM_FORM_INLINE;
    } else if (request && length == LEDSIM_POINTER_REQUEST_SIZE) {
        entry->form = LEDSIM_FORM_POINTER;
    } else {
        return LEDSIM_BAD_SIZE;
    }
    entry->method = Get32(request + 4);
    if (Get32(request) != 2 || Get32(request + 8) != 1 || Get32(request + 12) != 8) {
        return LEDSIM_BAD_HEADER;
    }
    if (entry->form == LEDSIM_FORM_POINTER) {
        /* The address names the caller's memory, which a driver hosted in another process
         * cannot read, and which nothing here may dereference unchecked. */
        entry->address = Get32(request + 16);
        return LEDSIM_POINTER_OUT_OF_REACH;
    }
    const uint8_t* argument = request + 16;
    if (argument[0] != 0 || argument[1] != 0 || argument[2] != 4 || argument[3] != 0) {
        return LEDSIM_BAD_ARGUMENT;
    }
    entry->value = Get32(argument + 4);
    return entry->method == LEDSIM_METHOD_PLED ? LEDSIM_ANSWERED : LEDSIM_UNKNOWN_METHOD;
}

/* An accepted request in the current reply mode: the reply's size, 0 for none. */
static size_t Reply(LedSimDevice* device, uint8_t* reply, size_t capacity, LedSimEntry* entry) {
    const uint32_t mode = device->replyMode;
    if (mode == LEDSIM_REPLY_FAIL) {
        entry->outcome = LEDSIM_FAILED_ON_PURPOSE;
        return 0;
    }
    const uint16_t dataLength = mode == LEDSIM_REPLY_UNPARSABLE ? LEDSIM_UNPARSABLE_DATA : 4;
    const size_t size = LEDSIM_REPLY_HEADER_SIZE + 4 + dataLength;
    if (!reply || capacity < size) {
        entry->outcome = LEDSIM_REPLY_TOO_SMALL;
        return 0;
    }
    device->led = entry->value != 0;
    Zero(reply, size);
    Put32(reply, LEDSIM_REPLY_SIGNATURE);
    Put32(reply + 4, (uint32_t)size);
    Put32(reply + 8, 1);
    reply[12] = mode == LEDSIM_REPLY_UNPARSABLE ? 2 : 0; /* a buffer, or an integer */
    reply[14] = (uint8_t)dataLength;
    reply[15] = (uint8_t)(dataLength >> 8);
    Put32(reply + 16, device->led); /* the method's result: the LED as it now is */
    if (mode == LEDSIM_REPLY_UNPARSABLE) {
        entry->outcome = LEDSIM_ANSWERED_UNPARSABLE;
    }
    return size;
}

size_t LedSimMethod(LedSimDevice* device, uint32_t process, const uint8_t* request, size_t length,
                    uint8_t* reply, size_t capacity, LedSimEntry* entry) {
    Zero(entry, sizeof *entry);
    entry->process = process;
    entry->length = length > 0xFFFF ? 0xFFFF : (uint16_t)length;
    entry->form = LEDSIM_FORM_NEITHER;
    entry->outcome = Judge(request, length, entry);
    const size_t replied =
        entry->outcome == LEDSIM_ANSWERED ? Reply(device, reply, capacity, entry) : 0;
    entry->seq = ++device->lastSeq;
    device->ring[entry->seq % LEDSIM_RECORD_CAPACITY] = *entry;
    if (device->held < LEDSIM_RECORD_CAPACITY) {
        ++device->held;
    }
    return replied;
}

size_t LedSimReadRecord(const LedSimDevice* device, uint32_t afterSeq, uint8_t* out,
                        size_t capacity) {
    LedSimRecordHeader header;
    if (!out || capacity < sizeof header) {
        return 0;
    }
    header.led = device->led;
    header.lastSeq = device->lastSeq;
    header.replyMode = device->replyMode;
    header.count = 0;
    const uint32_t oldest = device->lastSeq - device->held + 1;
    const size_t room = (capacity - sizeof header) / sizeof(LedSimEntry);
    for (uint32_t seq = afterSeq >= oldest ? afterSeq + 1 : oldest;
         seq <= device->lastSeq && seq != 0 && header.count < room; ++seq, ++header.count) {
        Copy(out + sizeof header + header.count * sizeof(LedSimEntry),
             &device->ring[seq % LEDSIM_RECORD_CAPACITY], sizeof(LedSimEntry));
    }
    Copy(out, &header, sizeof header);
    return sizeof header + header.count * sizeof(LedSimEntry);
}

void LedSimClearRecord(LedSimDevice* device) {
    device->held = 0;
}

int LedSimSetReplyMode(LedSimDevice* device, uint32_t mode) {
    if (mode >= LEDSIM_REPLY_MODES) {
        return 0;
    }
    device->replyMode = mode;
    return 1;
}
