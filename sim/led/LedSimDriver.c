/* The LED device stand-in: a kernel driver that creates \\.\QVXACPI, answers the phone-LED
 * request and keeps a record of every request for tests to read (sim/led/README.md). */
#include <ddk/ntifs.h>

#include "sim/led/LedSimDevice.h"
#include "sim/led/LedSimProtocol.h"

typedef struct Extension {
    KMUTEX lock;
    LedSimDevice device;
} Extension;

static Extension* ExtensionOf(PDEVICE_OBJECT device) {
    return (Extension*)device->DeviceExtension;
}

static void Hold(Extension* extension) {
    KeWaitForSingleObject(&extension->lock, Executive, KernelMode, FALSE, NULL);
}

static void Release(Extension* extension) {
    KeReleaseMutex(&extension->lock, FALSE);
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR bytes) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = bytes;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS StatusOf(uint8_t outcome) {
    switch (outcome) {
        case LEDSIM_ANSWERED:
        case LEDSIM_ANSWERED_UNPARSABLE:
            return STATUS_SUCCESS;
        case LEDSIM_FAILED_ON_PURPOSE:
            return STATUS_IO_DEVICE_ERROR;
        case LEDSIM_POINTER_OUT_OF_REACH:
            return STATUS_NOT_SUPPORTED;
        case LEDSIM_UNKNOWN_METHOD:
            return STATUS_OBJECT_NAME_NOT_FOUND;
        case LEDSIM_REPLY_TOO_SMALL:
            return STATUS_BUFFER_TOO_SMALL;
        default:
            return STATUS_INVALID_PARAMETER;
    }
}

/* Input and output share one system buffer, so the request's first 24 bytes (all that can
 * matter) are copied out before the reply is written; its real length travels beside them. */
static NTSTATUS OnMethod(Extension* extension, uint8_t* buffer, ULONG inLength, ULONG outLength,
                         PIRP irp) {
    uint8_t request[LEDSIM_INLINE_REQUEST_SIZE];
    const ULONG copied = inLength < sizeof request ? inLength : sizeof request;
    if (copied) {
        RtlCopyMemory(request, buffer, copied);
    }
    const uint32_t process = (uint32_t)(ULONG_PTR)PsGetProcessId(IoGetRequestorProcess(irp));
    LedSimEntry entry;
    Hold(extension);
    const size_t replied = LedSimMethod(&extension->device, process, copied ? request : NULL,
                                        inLength, outLength ? buffer : NULL, outLength, &entry);
    Release(extension);
    return Complete(irp, StatusOf(entry.outcome), replied);
}

static NTSTATUS OnReadRecord(Extension* extension, uint8_t* buffer, ULONG inLength, ULONG outLength,
                             PIRP irp) {
    uint32_t after = 0;
    if (inLength >= sizeof after) {
        RtlCopyMemory(&after, buffer, sizeof after);
    }
    Hold(extension);
    const size_t written = LedSimReadRecord(&extension->device, after, buffer, outLength);
    Release(extension);
    return Complete(irp, written ? STATUS_SUCCESS : STATUS_BUFFER_TOO_SMALL, written);
}

static NTSTATUS OnSetReply(Extension* extension, const uint8_t* buffer, ULONG inLength, PIRP irp) {
    uint32_t mode = LEDSIM_REPLY_MODES;
    if (inLength == sizeof mode) {
        RtlCopyMemory(&mode, buffer, sizeof mode);
    }
    Hold(extension);
    const int set = LedSimSetReplyMode(&extension->device, mode);
    Release(extension);
    return Complete(irp, set ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER, 0);
}

static NTSTATUS NTAPI DispatchDeviceControl(PDEVICE_OBJECT device, PIRP irp) {
    const PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    uint8_t* buffer = (uint8_t*)irp->AssociatedIrp.SystemBuffer;
    if (!buffer) {
        inLength = outLength = 0;
    }
    Extension* extension = ExtensionOf(device);
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
        case LEDSIM_IOCTL_METHOD:
            return OnMethod(extension, buffer, inLength, outLength, irp);
        case LEDSIM_IOCTL_READ_RECORD:
            return OnReadRecord(extension, buffer, inLength, outLength, irp);
        case LEDSIM_IOCTL_CLEAR_RECORD:
            Hold(extension);
            LedSimClearRecord(&extension->device);
            Release(extension);
            return Complete(irp, STATUS_SUCCESS, 0);
        case LEDSIM_IOCTL_SET_REPLY:
            return OnSetReply(extension, buffer, inLength, irp);
        default:
            return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
}

static NTSTATUS NTAPI DispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return Complete(irp, STATUS_SUCCESS, 0);
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver) {
    UNICODE_STRING link;
    RtlInitUnicodeString(&link, LEDSIM_DOS_NAME);
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject) {
        IoDeleteDevice(driver->DeviceObject);
    }
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
    (void)registryPath;
    UNICODE_STRING name;
    UNICODE_STRING link;
    RtlInitUnicodeString(&name, LEDSIM_DEVICE_NAME);
    RtlInitUnicodeString(&link, LEDSIM_DOS_NAME);

    PDEVICE_OBJECT device = NULL;
    NTSTATUS status =
        IoCreateDevice(driver, sizeof(Extension), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    Extension* extension = ExtensionOf(device);
    RtlZeroMemory(extension, sizeof *extension);
    KeInitializeMutex(&extension->lock, 0);

    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchDeviceControl;
    driver->DriverUnload = Unload;
    device->Flags |= DO_BUFFERED_IO;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
