// The phone LED, lit through an ACPI method of the notebook maker's hot-key driver
// ("\\.\QVXACPI"). Process-wide: opened once at start-up, closed with the process.
#pragma once

#include <cstdint>

namespace LedDevice {

// Opens the control device; false when there is none (the LED is then never driven).
bool Open();
bool IsOpen();

// Asks IsWow64Process (when the system has it) whether this 32-bit process runs on a
// 64-bit system; the answer picks the request layout of a 32-bit build.
void DetectWow64();
bool IsWow64();

// One method call with one integer argument; the driver's reply word, or 0 when the request
// failed or its reply cannot be parsed.
uint32_t SetLed(uint32_t method, uint32_t value);

}  // namespace LedDevice
