// tests/lha_builder.h -- writes small LHA archives for the archiver tests:
// level-0 headers with stored ("-lh0-") members, which any LHA reader
// accepts, so no archiving tool is needed.
#ifndef LUMENFOLD_TESTS_LHA_BUILDER_H
#define LUMENFOLD_TESTS_LHA_BUILDER_H

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace lhatest {

struct Member {
  std::string name;  // stored as given ('\\' or '/' between folders)
  std::string data;
};

// CRC-16 as LHA stores it (reflected polynomial 0xA001, start 0).
inline uint16_t crc16(const std::string& data) {
  uint16_t crc = 0;
  for (unsigned char byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; bit++) crc = (crc & 1) ? (uint16_t)((crc >> 1) ^ 0xA001) : (uint16_t)(crc >> 1);
  }
  return crc;
}

inline void putLe(std::string* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; i++) out->push_back((char)((value >> (8 * i)) & 0xFF));
}

// One member: header (size, checksum, method, sizes, DOS time, attribute,
// level, name, CRC) followed by the data. `crc` lets a test store a wrong one.
inline std::string memberBytes(const Member& member, uint16_t crc) {
  std::string body = "-lh0-";
  putLe(&body, (uint32_t)member.data.size(), 4);
  putLe(&body, (uint32_t)member.data.size(), 4);
  putLe(&body, 0x5A215000, 4);  // 2025-01-01 10:00
  body.push_back(0x20);         // archive attribute
  body.push_back(0);            // header level
  body.push_back((char)member.name.size());
  body += member.name;
  putLe(&body, crc, 2);
  unsigned sum = 0;
  for (unsigned char c : body) sum += c;
  std::string bytes;
  bytes.push_back((char)body.size());
  bytes.push_back((char)(sum & 0xFF));
  return bytes + body + member.data;
}

inline void writeArchive(const std::string& path, const std::vector<Member>& members, bool corruptCrc = false) {
  std::string bytes;
  for (const Member& member : members)
    bytes += memberBytes(member, (uint16_t)(crc16(member.data) ^ (corruptCrc ? 0x5555 : 0)));
  bytes.push_back(0);  // end of archive
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace lhatest

#endif
