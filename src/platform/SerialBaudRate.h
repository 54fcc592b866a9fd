#pragma once
// Any baud rate the kernel accepts, standard or not, through the termios2 interface. Kept
// apart because <asm/termbits.h> and <termios.h> cannot share a translation unit.

#include <cstdint>

// Sets input and output speed of the open terminal fd to baud (BOTHER).
bool SetSerialBaudRate(int fd, uint32_t baud);
// The output speed of the open terminal fd.
bool GetSerialBaudRate(int fd, uint32_t& baud);
