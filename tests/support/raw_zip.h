#pragma once

#include <zlib.h>

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// ZIP archives written byte by byte, with every field of the format set to whatever a hostile
// archive needs (false sizes, odd flags, unknown methods, ZIP64 records).
namespace rostrel::testing {

inline uint32_t Crc32(std::string_view bytes) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// A raw deflate stream (no zlib header), as ZIP members carry it.
inline std::string Deflate(std::string_view plain) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string out(deflateBound(&z, static_cast<uLong>(plain.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  z.avail_in = static_cast<uInt>(plain.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&z, Z_FINISH);
  deflateEnd(&z);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(z.total_out);
  return out;
}

// A raw deflate stream that inflates to `mebibytes` MiB of zero bytes, made without ever holding
// that much: one block of 1 MiB of zeros, flushed so that it refers to nothing before it, is
// repeated, and an empty final block ends the stream. About 1 KiB per MiB.
inline std::string ZeroBomb(unsigned mebibytes) {
  const std::string mib(1 << 20, '\0');
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string block(deflateBound(&z, mib.size()) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(mib.data()));
  z.avail_in = static_cast<uInt>(mib.size());
  z.next_out = reinterpret_cast<Bytef*>(block.data());
  z.avail_out = static_cast<uInt>(block.size());
  deflate(&z, Z_FULL_FLUSH);
  block.resize(z.total_out);
  deflateEnd(&z);

  std::string stream;
  stream.reserve(block.size() * mebibytes + 2);
  for (unsigned i = 0; i < mebibytes; ++i) stream += block;
  stream += std::string("\x03\x00", 2);  // a final, empty block with fixed codes
  return stream;
}

// One member as it will stand in the archive. The sizes and the checksum default to the true
// values for `plain`; set them to lie.
struct RawMember {
  std::string name;
  std::string plain;        // the member's content once unpacked
  std::string stored;       // the bytes in the archive; empty: `plain`, deflated if method 8
  uint16_t method = 8;      // 0 stored, 8 deflate, others as the test wants
  uint16_t flags = 0x0800;  // bit 11: the name is UTF-8; bit 0: encrypted
  int64_t compressedSize = -1;
  int64_t uncompressedSize = -1;
  int64_t crc = -1;
  bool zip64 = false;   // sizes and offset in a ZIP64 extra field, 0xFFFFFFFF in the header
  int64_t offset = -1;  // where the central directory says the member starts; -1: the truth
  uint32_t externalAttributes = 0100644u << 16;
};

namespace zipbytes {
inline void U16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void U32(std::string& s, uint32_t v) {
  U16(s, v & 0xFFFF);
  U16(s, v >> 16);
}
inline void U64(std::string& s, uint64_t v) {
  U32(s, static_cast<uint32_t>(v));
  U32(s, static_cast<uint32_t>(v >> 32));
}
}  // namespace zipbytes

// Writes the archive byte by byte: local headers with data, the central directory, and the end
// records (with ZIP64 end records when any member asks for ZIP64).
inline std::string BuildZip(const std::vector<RawMember>& members) {
  using namespace zipbytes;
  std::string out, central;
  bool anyZip64 = false;
  for (const RawMember& m : members) {
    std::string data = m.stored;
    if (data.empty() && !m.plain.empty()) data = m.method == 8 ? Deflate(m.plain) : m.plain;
    const uint64_t csize = m.compressedSize >= 0 ? uint64_t(m.compressedSize) : data.size();
    const uint64_t usize = m.uncompressedSize >= 0 ? uint64_t(m.uncompressedSize) : m.plain.size();
    const uint32_t crc = m.crc >= 0 ? uint32_t(m.crc) : Crc32(m.plain);
    const uint64_t offset = m.offset != -1 ? uint64_t(m.offset) : out.size();
    const uint16_t needed = m.zip64 ? 45 : 20;
    anyZip64 = anyZip64 || m.zip64;

    std::string localExtra, centralExtra;
    if (m.zip64) {
      U16(localExtra, 0x0001);
      U16(localExtra, 16);
      U64(localExtra, usize);
      U64(localExtra, csize);
      U16(centralExtra, 0x0001);
      U16(centralExtra, 24);
      U64(centralExtra, usize);
      U64(centralExtra, csize);
      U64(centralExtra, offset);
    }
    const uint32_t c32 = m.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(csize);
    const uint32_t u32 = m.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(usize);

    U32(out, 0x04034b50);
    U16(out, needed);
    U16(out, m.flags);
    U16(out, m.method);
    U16(out, 0x6000);  // 12:00
    U16(out, 0x5D81);  // 2026-12-01
    U32(out, crc);
    U32(out, c32);
    U32(out, u32);
    U16(out, static_cast<uint32_t>(m.name.size()));
    U16(out, static_cast<uint32_t>(localExtra.size()));
    out += m.name;
    out += localExtra;
    out += data;

    U32(central, 0x02014b50);
    U16(central, 0x031E);  // made by Unix, version 3.0
    U16(central, needed);
    U16(central, m.flags);
    U16(central, m.method);
    U16(central, 0x6000);
    U16(central, 0x5D81);
    U32(central, crc);
    U32(central, c32);
    U32(central, u32);
    U16(central, static_cast<uint32_t>(m.name.size()));
    U16(central, static_cast<uint32_t>(centralExtra.size()));
    U16(central, 0);  // comment
    U16(central, 0);  // disk
    U16(central, 0);  // internal attributes
    U32(central, m.externalAttributes);
    U32(central, m.zip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(offset));
    central += m.name;
    central += centralExtra;
  }
  const uint64_t centralOffset = out.size();
  out += central;
  if (anyZip64) {
    const uint64_t record = out.size();
    U32(out, 0x06064b50);
    U64(out, 44);
    U16(out, 45);
    U16(out, 45);
    U32(out, 0);
    U32(out, 0);
    U64(out, members.size());
    U64(out, members.size());
    U64(out, central.size());
    U64(out, centralOffset);
    U32(out, 0x07064b50);
    U32(out, 0);
    U64(out, record);
    U32(out, 1);
  }
  U32(out, 0x06054b50);
  U16(out, 0);
  U16(out, 0);
  U16(out, anyZip64 ? 0xFFFF : static_cast<uint32_t>(members.size()));
  U16(out, anyZip64 ? 0xFFFF : static_cast<uint32_t>(members.size()));
  U32(out, anyZip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(central.size()));
  U32(out, anyZip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(centralOffset));
  U16(out, 0);
  return out;
}

inline RawMember Member(const std::string& name, const std::string& plain, uint16_t method = 8) {
  RawMember member;
  member.name = name;
  member.plain = plain;
  member.method = method;
  return member;
}

inline std::string BuildZip(const std::string& name, const std::string& plain) {
  return BuildZip(std::vector<RawMember>{Member(name, plain)});
}

// A member's name as the central directory stores it, and whether it is marked as UTF-8.
struct CentralName {
  std::string bytes;
  bool utf8 = false;
  bool operator==(const CentralName&) const = default;
};

// The names in an archive's central directory, read byte by byte from the end record's count and
// offset: no ZIP64 records, no archive comment.
inline std::vector<CentralName> CentralNames(const std::string& zip) {
  const auto u16 = [&](size_t at) {
    return uint32_t(uint8_t(zip.at(at))) | uint32_t(uint8_t(zip.at(at + 1))) << 8;
  };
  const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  const size_t end = zip.rfind("PK\x05\x06");
  std::vector<CentralName> names;
  size_t at = u32(end + 16);
  for (uint32_t i = 0, count = u16(end + 10); i < count; ++i) {
    if (u32(at) != 0x02014b50) throw std::runtime_error("no central header where one must be");
    const size_t nameLength = u16(at + 28);
    names.push_back({zip.substr(at + 46, nameLength), (u16(at + 8) & 0x0800) != 0});
    at += 46 + nameLength + u16(at + 30) + u16(at + 32);
  }
  return names;
}

}  // namespace rostrel::testing
