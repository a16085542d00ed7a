// tests/multiuser/messages.h -- whole messages as a server sends them, built
// with the protocol module, for the scripted peers.
#ifndef LUMENFOLD_TESTS_MULTIUSER_MESSAGES_H
#define LUMENFOLD_TESTS_MULTIUSER_MESSAGES_H

#include <functional>
#include <string>

#include "multiuser/protocol.h"
#include "tests/multiuser/peer.h"

constexpr uint32_t kTestChannel = 7, kTestHelloId = 9;

// A class-0 message whose body `write` fills; the bytes it reports.
inline Bytes serverMessage(const std::function<int(uint8_t*)>& write) {
  Bytes message(ZMQX_MAX_MESSAGE);
  zmqxWriteHeader(message.data(), ZMQX_CLASS_MESSAGE, kTestChannel, 0);
  message.resize(size_t(write(message.data())));
  return message;
}

inline Bytes chatFrom(ZmId id, const std::string& text) {
  return serverMessage([&](uint8_t* m) {
    zmqxWriteObjectMessage(m, id);
    return zmqxWriteChatText(m, text.c_str());
  });
}

inline Bytes masterMessage(uint8_t master) {
  return serverMessage([&](uint8_t* m) { return zmqxWriteMaster(m, master); });
}

inline Bytes positionOf(ZmId id, ZmVec3 position) {
  Bytes message(ZMQX_POSITION_SIZE);
  zmqxWritePosition(message.data(), kTestChannel, 0, id, &position);
  return message;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

#endif
