// platform/pixelrows.cpp -- the row conversion loops and their reference.
#include "platform/pixelrows.h"

#include <cstring>
#include <utility>

namespace platform::gdi {
namespace {

// Little-endian pixels of 1 to 4 bytes, read and written whole. A 3-byte
// pixel that is not a row's last may be read and written as 4 bytes (the
// extra byte is the next pixel's, written again after it): one access in
// place of three.
template <int Bytes, bool NotLast>
inline uint32_t load(const uint8_t* p) {
  if constexpr (Bytes == 1) {
    return p[0];
  } else if constexpr (Bytes == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  } else if constexpr (Bytes == 3 && !NotLast) {
    return p[0] | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
  } else {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return Bytes == 3 ? v & 0xFFFFFF : v;
  }
}

template <int Bytes, bool NotLast>
inline void store(uint8_t* p, uint32_t value) {
  if constexpr (Bytes == 1) {
    p[0] = static_cast<uint8_t>(value);
  } else if constexpr (Bytes == 2) {
    const uint16_t v = static_cast<uint16_t>(value);
    std::memcpy(p, &v, 2);
  } else if constexpr (Bytes == 3 && !NotLast) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
  } else {
    std::memcpy(p, &value, 4);
  }
}

// The one loop every conversion runs: each pixel loaded, converted by
// `convert` and stored; a row's last pixel apart when it has 3 bytes.
template <int From, int To, typename Convert>
inline void convertRun(const uint8_t* __restrict from, uint8_t* __restrict to, int count, Convert convert) {
  const int bulk = From == 3 || To == 3 ? count - 1 : count;
  int i = 0;
  for (; i < bulk; i++) store<To, true>(to + To * i, convert(load<From, true>(from + From * i)));
  for (; i < count; i++) store<To, false>(to + To * i, convert(load<From, false>(from + From * i)));
}

template <int From, int To>
void lookupLoop(const uint8_t* __restrict from, uint8_t* __restrict to, int count, const uint32_t* __restrict table) {
  convertRun<From, To>(from, to, count, [table](uint32_t v) { return table[v]; });
}

using RowStep = RowConversion::ChannelStep;

inline uint32_t shiftChannel(uint32_t value, const RowStep& s) {
  const uint32_t raw = (value >> s.inShift) & s.inMask;
  const uint32_t level = raw << s.widenLeft | raw >> s.widenRight;
  return (level >> s.narrowRight) << s.outShift;
}

// The steps are copied into locals so that the compiler sees them constant
// over the loop and keeps them in registers.
template <int From, int To>
void shiftLoop(const uint8_t* __restrict from, uint8_t* __restrict to, int count, const RowStep* steps) {
  const RowStep red = steps[0], green = steps[1], blue = steps[2];
  convertRun<From, To>(from, to, count, [red, green, blue](uint32_t v) {
    return shiftChannel(v, red) | shiftChannel(v, green) | shiftChannel(v, blue);
  });
}

using LookupFn = void (*)(const uint8_t*, uint8_t*, int, const uint32_t*);
using ShiftFn = void (*)(const uint8_t*, uint8_t*, int, const RowStep*);

template <int From>
LookupFn lookupFor(int toBytes) {
  switch (toBytes) {
    case 1: return lookupLoop<From, 1>;
    case 2: return lookupLoop<From, 2>;
    case 3: return lookupLoop<From, 3>;
    default: return lookupLoop<From, 4>;
  }
}

template <int From>
ShiftFn shiftFor(int toBytes) {
  switch (toBytes) {
    case 2: return shiftLoop<From, 2>;
    case 3: return shiftLoop<From, 3>;
    default: return shiftLoop<From, 4>;
  }
}

// The steps of one channel; false when its widths do not suit the loop.
bool channelStep(const Channel& in, const Channel& out, RowStep* step) {
  const bool contiguousIn = in.mask == ((in.bits == 32 ? ~0u : (1u << in.bits) - 1) << in.shift);
  const bool contiguousOut = out.mask == ((out.bits == 32 ? ~0u : (1u << out.bits) - 1) << out.shift);
  if (!contiguousIn || !contiguousOut || in.bits < 4 || in.bits > 8 || out.bits < 1 || out.bits > 8) return false;
  step->inShift = static_cast<uint32_t>(in.shift);
  step->inMask = (1u << in.bits) - 1;
  step->widenLeft = static_cast<uint32_t>(8 - in.bits);
  step->widenRight = static_cast<uint32_t>(2 * in.bits - 8);
  step->narrowRight = static_cast<uint32_t>(8 - out.bits);
  step->outShift = static_cast<uint32_t>(out.shift);
  return true;
}

int bytesOf(const PixelFormat& format) { return format.bitsPerPixel / 8; }

}  // namespace

RowConversion RowConversion::copy(int bitsPerPixel) {
  RowConversion c;
  c.kind_ = Kind::Copy;
  c.fromBytes_ = c.toBytes_ = bitsPerPixel / 8;
  return c;
}

RowConversion RowConversion::lookup(int fromBits, int toBits, std::vector<uint32_t> table) {
  RowConversion c;
  c.kind_ = Kind::Lookup;
  c.fromBytes_ = fromBits / 8;
  c.toBytes_ = toBits / 8;
  c.table_ = std::move(table);
  return c;
}

bool RowConversion::channelShifts(const PixelFormat& from, const PixelFormat& to, RowConversion* out) {
  if (from.indexed() || to.indexed() || from.bitsPerPixel < 16 || to.bitsPerPixel < 16) return false;
  const ChannelLayout in = channelLayout(from), outLayout = channelLayout(to);
  RowStep steps[3];
  if (!channelStep(in.red, outLayout.red, &steps[0]) || !channelStep(in.green, outLayout.green, &steps[1]) ||
      !channelStep(in.blue, outLayout.blue, &steps[2]))
    return false;
  RowConversion c;
  c.kind_ = Kind::Shifts;
  c.fromBytes_ = bytesOf(from);
  c.toBytes_ = bytesOf(to);
  std::copy(steps, steps + 3, c.steps_);
  *out = std::move(c);
  return true;
}

void RowConversion::run(const uint8_t* from, uint8_t* to, int count) const {
  if (count <= 0) return;
  switch (kind_) {
    case Kind::Unmade:
      return;
    case Kind::Copy:
      std::memmove(to, from, static_cast<size_t>(count) * static_cast<size_t>(fromBytes_));
      return;
    case Kind::Lookup:
      (fromBytes_ == 1 ? lookupFor<1>(toBytes_) : lookupFor<2>(toBytes_))(from, to, count, table_.data());
      return;
    case Kind::Shifts:
      switch (fromBytes_) {
        case 2: shiftFor<2>(toBytes_)(from, to, count, steps_); return;
        case 3: shiftFor<3>(toBytes_)(from, to, count, steps_); return;
        default: shiftFor<4>(toBytes_)(from, to, count, steps_); return;
      }
  }
}

void convertRowReference(const PixelFormat& from, const PixelFormat& to, const uint8_t* fromRow, uint8_t* toRow,
                         int count) {
  const Surface in{count, 1, const_cast<uint8_t*>(fromRow), 0, &from};
  const Surface out{count, 1, toRow, 0, &to};
  for (int x = 0; x < count; x++) out.write(x, 0, colourToValue(to, valueToColour(from, in.read(x, 0))));
}

}  // namespace platform::gdi
