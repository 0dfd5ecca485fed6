/* What the LED device stand-in and its readers agree on: the device, the control codes and the
 * layout of the record. Plain C: the kernel driver includes it as well as the tests. */
#ifndef VOXTELO_SIM_LED_LEDSIMPROTOCOL_H
#define VOXTELO_SIM_LED_LEDSIMPROTOCOL_H

#include <stdint.h>

#define LEDSIM_DEVICE_NAME L"\\Device\\QVXACPI"
#define LEDSIM_DOS_NAME L"\\DosDevices\\QVXACPI"
#define LEDSIM_USER_PATH "\\\\.\\QVXACPI"
#define LEDSIM_SERVICE_NAME "VoxteloLedSim"

/* Device type 0x22, buffered, any access. 0x901 is the program's request; the 0xA0x functions
 * belong to the stand-in only, so no program mistakes them for the hot-key driver's. */
#define LEDSIM_CTL(function) ((0x22u << 16) | ((uint32_t)(function) << 2))
#define LEDSIM_IOCTL_METHOD LEDSIM_CTL(0x901)       /* 0x222404 */
#define LEDSIM_IOCTL_READ_RECORD LEDSIM_CTL(0xA00)  /* in: uint32 after-seq (optional) */
#define LEDSIM_IOCTL_CLEAR_RECORD LEDSIM_CTL(0xA01) /* no buffers */
#define LEDSIM_IOCTL_SET_REPLY LEDSIM_CTL(0xA02)    /* in: uint32 reply mode */

#define LEDSIM_METHOD_PLED 0x44454C50u /* "PLED" packed little-endian */

/* The reply's first two words are ours to choose; they follow the ACPI evaluation output
 * block: its signature and the reply's length in bytes. */
#define LEDSIM_REPLY_SIGNATURE 0x426F6541u /* "AeoB" */
#define LEDSIM_REPLY_HEADER_SIZE 12u
#define LEDSIM_REPLY_SIZE 20u       /* header and one integer record */
#define LEDSIM_UNPARSABLE_DATA 200u /* record 0 then occupies 204 bytes, over the 100 allowed */
#define LEDSIM_POINTER_REQUEST_SIZE 20u
#define LEDSIM_INLINE_REQUEST_SIZE 24u

/* How the stand-in answers requests it accepts, for fault tests. */
enum {
    LEDSIM_REPLY_NORMAL = 0,
    LEDSIM_REPLY_FAIL = 1,       /* the request fails with a device error, no reply bytes */
    LEDSIM_REPLY_UNPARSABLE = 2, /* succeeds with a record 0 too large to parse */
    LEDSIM_REPLY_MODES = 3
};

/* The request's form, judged by its length. */
enum { LEDSIM_FORM_INLINE = 0, LEDSIM_FORM_POINTER = 1, LEDSIM_FORM_NEITHER = 2 };

/* What became of one request. */
enum {
    LEDSIM_ANSWERED = 0,
    LEDSIM_ANSWERED_UNPARSABLE = 1, /* reply mode */
    LEDSIM_FAILED_ON_PURPOSE = 2,   /* reply mode */
    LEDSIM_BAD_SIZE = 3,            /* neither 20 nor 24 bytes */
    LEDSIM_BAD_HEADER = 4,          /* the words 2, method, 1, 8 do not hold */
    LEDSIM_BAD_ARGUMENT = 5,        /* the inline record is not a 4-byte integer */
    LEDSIM_POINTER_OUT_OF_REACH = 6,
    LEDSIM_UNKNOWN_METHOD = 7,
    LEDSIM_REPLY_TOO_SMALL = 8, /* the caller's output buffer cannot hold the reply */
    LEDSIM_OUTCOMES = 9
};

/* One record entry, 24 bytes. */
typedef struct LedSimEntry {
    uint32_t seq;     /* from 1, never reused, not reset by clearing */
    uint32_t process; /* the id of the process that sent the request */
    uint32_t method;  /* as sent, even when unknown */
    uint32_t value;   /* the LED value of the inline form; 0 otherwise */
    uint32_t address; /* the record address of the pointer form; 0 otherwise */
    uint16_t length;  /* the input length, capped at 0xFFFF */
    uint8_t form;     /* LEDSIM_FORM_ */
    uint8_t outcome;  /* LEDSIM_ */
} LedSimEntry;

/* The answer to LEDSIM_IOCTL_READ_RECORD: this header, then `count` entries with a sequence
 * number above the one asked for, oldest first, as many as the output buffer holds. */
typedef struct LedSimRecordHeader {
    uint32_t led;       /* the LED as the last accepted PLED left it: 1 on, 0 off */
    uint32_t lastSeq;   /* the newest entry's number, 0 before the first request */
    uint32_t count;     /* entries that follow */
    uint32_t replyMode; /* LEDSIM_REPLY_ */
} LedSimRecordHeader;

#define LEDSIM_RECORD_CAPACITY 4096u /* the driver keeps the latest entries */

#endif
