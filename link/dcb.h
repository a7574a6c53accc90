// The device control block that SerialPort builds, laid out byte for byte like
// the Win32 DCB (28 bytes), so that the Windows backend hands it over as is
// and the POSIX backend maps the same record to termios.
#pragma once

#include <cstdint>

namespace quelt {

struct DcbRecord {
  std::uint32_t DCBlength = 0;
  std::uint32_t BaudRate = 0;
  std::uint32_t Flags = 0;  // fBinary .. fAbortOnError, bit for bit
  std::uint16_t wReserved = 0;
  std::uint16_t XonLim = 0;
  std::uint16_t XoffLim = 0;
  std::uint8_t ByteSize = 0;
  std::uint8_t Parity = 0;
  std::uint8_t StopBits = 0;
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  std::uint16_t wReserved1 = 0;
};
static_assert(sizeof(DcbRecord) == 28, "DcbRecord must match the Win32 DCB");

// Bits of DcbRecord::Flags.
namespace dcb {
inline constexpr std::uint32_t fBinary = 0x1;
inline constexpr std::uint32_t fParity = 0x2;
inline constexpr std::uint32_t fOutxCtsFlow = 0x4;
inline constexpr std::uint32_t fOutxDsrFlow = 0x8;
inline constexpr std::uint32_t DtrControlOn = 0x10;         // fDtrControl = 1
inline constexpr std::uint32_t DtrControlHandshake = 0x20;  // fDtrControl = 2
inline constexpr std::uint32_t fDsrSensitivity = 0x40;
inline constexpr std::uint32_t fTXContinueOnXoff = 0x80;
inline constexpr std::uint32_t fOutX = 0x100;
inline constexpr std::uint32_t fInX = 0x200;
inline constexpr std::uint32_t fErrorChar = 0x400;
inline constexpr std::uint32_t fNull = 0x800;
inline constexpr std::uint32_t RtsControlOn = 0x1000;         // fRtsControl = 1
inline constexpr std::uint32_t RtsControlHandshake = 0x2000;  // fRtsControl = 2
inline constexpr std::uint32_t fAbortOnError = 0x4000;
}  // namespace dcb

}  // namespace quelt
