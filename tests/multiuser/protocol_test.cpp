// tests/multiuser/protocol_test.cpp -- the wire records byte for byte, in
// both directions, and the fixed-point words.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "multiuser/protocol.h"

namespace {

constexpr uint32_t kChannel = 7, kClient = 9;

std::string hex(const uint8_t* bytes, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < n; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

std::vector<uint8_t> unhex(const std::string& text) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(uint8_t(std::stoi(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

// A class-0 message with our channel and client and the body written by `body`.
int classZero(uint8_t* m, const std::function<int(uint8_t*)>& body) {
  zmqxWriteHeader(m, ZMQX_CLASS_MESSAGE, kChannel, kClient);
  return body(m);
}

const ZmRT kMove = {{1, 0, 0, 0, 1, 0, 0, 0, -1}, {1.0f, -1.0f, 0.5f}};

// {name, the expected bytes, the writer, a check of what the readers give back}
struct Golden {
  const char* name;
  const char* bytes;
  std::function<int(uint8_t*)> write;
  std::function<void(const uint8_t*)> readBack;
};

const Golden kGolden[] = {
    {"avatar announcement", "00" "00000007" "00000009" "00000000" "0000000f" "616e6e00" "706572736f6e2e77726c00",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteAvatar(b, "ann", "person.wrl"); }); },
     [](const uint8_t* m) {
       const char *nick = nullptr, *file = nullptr;
       ASSERT_EQ(zmqxReadAvatar(m, &nick, &file), 0);
       EXPECT_STREQ(nick, "ann");
       EXPECT_STREQ(file, "person.wrl");
     }},
    {"client id", "00" "00000007" "00000009" "00000001" "00000004" "01020304",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteClientId(b, 0x01020304); }); },
     [](const uint8_t* m) {
       uint32_t id = 0;
       zmqxReadClientId(m, &id);
       EXPECT_EQ(id, 0x01020304u);
     }},
    {"add objects without comment", "00" "00000007" "00000009" "00000002" "0000000e" "000003e8" "000007cf" "612e77726c00",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteAddObjects(b, 1000, 1999, "a.wrl", nullptr); }); },
     [](const uint8_t* m) {
       ZmId first = 0, last = 0;
       const char *url = nullptr, *comment = "unset";
       ASSERT_EQ(zmqxReadAddObjects(m, &first, &last, &url, &comment), 0);
       EXPECT_EQ(first, 1000);
       EXPECT_EQ(last, 1999);
       EXPECT_STREQ(url, "a.wrl");
       EXPECT_EQ(comment, nullptr);
     }},
    {"add objects with empty comment", "00" "00000007" "00000009" "00000002" "0000000f" "000003e8" "000007cf" "612e77726c00" "00",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteAddObjects(b, 1000, 1999, "a.wrl", ""); }); },
     [](const uint8_t* m) {
       const char* comment = nullptr;
       ASSERT_EQ(zmqxReadAddObjects(m, nullptr, nullptr, nullptr, &comment), 0);
       ASSERT_NE(comment, nullptr);
       EXPECT_STREQ(comment, "");
     }},
    {"add objects with comment", "00" "00000007" "00000009" "00000002" "00000011" "fffffc18" "fffffc19" "612e77726c00" "686900",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteAddObjects(b, -1000, -999, "a.wrl", "hi"); }); },
     [](const uint8_t* m) {
       ZmId first = 0;
       const char* comment = nullptr;
       ASSERT_EQ(zmqxReadAddObjects(m, &first, nullptr, nullptr, &comment), 0);
       EXPECT_EQ(first, -1000);
       EXPECT_STREQ(comment, "hi");
     }},
    {"object to child 0", "00" "00000007" "00000009" "00000003" "00000004" "fffffffe",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteObjectId(b, ZMQX_KIND_TO_CHILD0, -2); }); },
     [](const uint8_t* m) {
       ZmId id = 0;
       zmqxReadObjectId(m, &id);
       EXPECT_EQ(id, -2);
     }},
    {"your avatar's id", "00" "00000007" "00000009" "00000004" "00000004" "00000005",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteObjectId(b, ZMQX_KIND_MYSELF, 5); }); },
     [](const uint8_t* m) {
       ZmId id = 0;
       zmqxReadObjectId(m, &id);
       EXPECT_EQ(id, 5);
     }},
    {"kind 5", "00" "00000007" "00000009" "00000005" "0000000a" "00000001" "00000002" "7800",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteUnused(b, 1, 2, "x"); }); },
     [](const uint8_t* m) {
       uint32_t first = 0, second = 0;
       const char* text = nullptr;
       ASSERT_EQ(zmqxReadUnused(m, &first, &second, &text), 0);
       EXPECT_EQ(first, 1u);
       EXPECT_EQ(second, 2u);
       EXPECT_STREQ(text, "x");
     }},
    {"rotation and translation",
     "00" "00000007" "00000009" "00000006" "00000039" "00000005" "00000002" "01"
     "0000ffff" "00000000" "00000000" "00000000" "0000ffff" "00000000" "00000000" "00000000" "ffff0001"
     "0000ffff" "ffff0001" "00007fff",
     [](uint8_t* m) {
       return classZero(m, [](uint8_t* b) {
         zmqxWriteObjectMessage(b, 5);
         return zmqxWriteRotTrans(b, &kMove);
       });
     },
     [](const uint8_t* m) {
       ZmId id = 0;
       uint32_t sub = 0;
       uint8_t flag = 0;
       zmqxReadObjectMessage(m, &id, &sub, &flag);
       EXPECT_EQ(id, 5);
       EXPECT_EQ(sub, ZMQX_SUB_ROT_TRANS);
       EXPECT_EQ(flag, 1);
       ZmRT back;
       zmqxReadRotTrans(m, &back);
       const float shrink = 65535.0f / 65536.0f;
       for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(back.m[i], kMove.m[i] * shrink) << i;
       EXPECT_FLOAT_EQ(back.t.x, kMove.t.x * shrink);
       EXPECT_FLOAT_EQ(back.t.y, kMove.t.y * shrink);
       EXPECT_FLOAT_EQ(back.t.z, 32767.0f / 65536.0f);
     }},
    {"chat text", "00" "00000007" "00000009" "00000006" "0000000c" "00000005" "00000009" "00" "686900",
     [](uint8_t* m) {
       return classZero(m, [](uint8_t* b) {
         zmqxWriteObjectMessage(b, 5);
         return zmqxWriteChatText(b, "hi");
       });
     },
     [](const uint8_t* m) {
       const char* text = nullptr;
       ASSERT_EQ(zmqxReadChatText(m, &text), 0);
       EXPECT_STREQ(text, "hi");
     }},
    {"application event", "00" "00000007" "00000009" "00000006" "00000010" "00000005" "0000000b" "00" "00000010" "676f00",
     [](uint8_t* m) {
       return classZero(m, [](uint8_t* b) {
         zmqxWriteObjectMessage(b, 5);
         return zmqxWriteApplEvent(b, 0x10, "go");
       });
     },
     [](const uint8_t* m) {
       uint32_t mask = 0;
       const char* text = nullptr;
       ASSERT_EQ(zmqxReadApplEvent(m, &mask, &text), 0);
       EXPECT_EQ(mask, 0x10u);
       EXPECT_STREQ(text, "go");
     }},
    {"application-specific", "00" "00000007" "00000009" "00000006" "0000000d" "00000005" "00002710" "04" "7000" "6400",
     [](uint8_t* m) {
       return classZero(m, [](uint8_t* b) {
         zmqxWriteObjectMessage(b, 5);
         return zmqxWriteApplSpecific(b, "p", "d", 4);
       });
     },
     [](const uint8_t* m) {
       const char *procedure = nullptr, *data = nullptr;
       uint8_t flag = 0;
       ASSERT_EQ(zmqxReadApplSpecific(m, &procedure, &data), 0);
       zmqxReadObjectMessage(m, nullptr, nullptr, &flag);
       EXPECT_STREQ(procedure, "p");
       EXPECT_STREQ(data, "d");
       EXPECT_EQ(flag, 4);
     }},
    {"leave", "00" "00000007" "00000009" "00000007" "00000001" "03",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteLeave(b, 3); }); },
     [](const uint8_t* m) { EXPECT_EQ(zmqxReadByte(m), 3); }},
    {"master", "00" "00000007" "00000009" "00000008" "00000001" "01",
     [](uint8_t* m) { return classZero(m, [](uint8_t* b) { return zmqxWriteMaster(b, 1); }); },
     [](const uint8_t* m) { EXPECT_EQ(zmqxReadByte(m), 1); }},
    {"posture step", "01" "00000007" "00000009" "00000005" "ff",
     [](uint8_t* m) { return zmqxWritePostureStep(m, kChannel, kClient, 5, 255); },
     [](const uint8_t* m) {
       uint32_t channel = 0, client = 0;
       ZmId id = 0;
       uint8_t step = 0;
       zmqxReadPostureStep(m, &channel, &client, &id, &step);
       EXPECT_EQ(channel, kChannel);
       EXPECT_EQ(client, kClient);
       EXPECT_EQ(id, 5);
       EXPECT_EQ(step, 255);
     }},
    {"object position", "02" "00000007" "00000009" "00000005" "0000ffff" "ffff0001" "00007fff" "0001",
     [](uint8_t* m) { return zmqxWritePosition(m, kChannel, kClient, 5, &kMove.t); },
     [](const uint8_t* m) {
       ZmId id = 0;
       ZmVec3 position = {};
       zmqxReadPosition(m, nullptr, nullptr, &id, &position);
       EXPECT_EQ(id, 5);
       EXPECT_FLOAT_EQ(position.x, 65535.0f / 65536.0f);
       EXPECT_FLOAT_EQ(position.y, -65535.0f / 65536.0f);
     }},
};

TEST(Protocol, EveryMessageKindHasItsBytesAndReadsBack) {
  for (const Golden& golden : kGolden) {
    SCOPED_TRACE(golden.name);
    uint8_t message[ZMQX_MAX_MESSAGE];
    std::memset(message, 0xAB, sizeof message);
    const int size = golden.write(message);
    EXPECT_EQ(hex(message, size_t(size)), golden.bytes);
    EXPECT_EQ(zmqxMessageSize(message), uint64_t(size));
    const std::vector<uint8_t> received = unhex(golden.bytes);
    uint8_t messageClass = 0xFF;
    uint32_t channel = 0, client = 0;
    zmqxReadHeader(received.data(), &messageClass, &channel, &client, nullptr, nullptr);
    EXPECT_EQ(channel, kChannel);
    EXPECT_EQ(client, kClient);
    golden.readBack(received.data());
  }
}

TEST(Protocol, HandshakeRecords) {
  uint8_t bytes[ZMQX_SERVER_HELLO_SIZE];
  zmqxWriteClientHello(bytes);
  EXPECT_EQ(hex(bytes, ZMQX_CLIENT_HELLO_SIZE), "68656c6c6f0101");
  EXPECT_EQ(zmqxReadClientHello(bytes), 0);

  zmqxWriteServerHello(bytes, 9, 7);
  EXPECT_EQ(hex(bytes, ZMQX_SERVER_HELLO_SIZE), "68656c6c6f00" "00000009" "00000007");
  uint32_t hello = 0, channel = 0;
  EXPECT_EQ(zmqxReadServerHello(bytes, &hello, &channel), 0);
  EXPECT_EQ(hello, 9u);
  EXPECT_EQ(channel, 7u);
  EXPECT_EQ(zmqxIsServerReject(bytes), 0);

  zmqxWriteServerReject(bytes, 2);
  EXPECT_EQ(hex(bytes, ZMQX_SERVER_HELLO_SIZE), "72656a656374" "02" "00000000000000");
  EXPECT_EQ(zmqxIsServerReject(bytes), 1);
  EXPECT_EQ(zmqxReadServerHello(bytes, nullptr, nullptr), -1);
  EXPECT_EQ(zmqxReadClientHello(bytes), -1);
}

TEST(Protocol, FixedPointWordsClampWhatTheyCannotHold) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float value;
    int32_t word;
  } cases[] = {
      {1.0f, 0x0000FFFF},   {-1.0f, -65535},     {0.5f, 32767},         {-0.5f, -32767},
      {0.0f, 0},            {32767.0f, 2147385345}, {32768.0f, 2147450880}, {32769.0f, INT32_MAX},
      {-32768.0f, -2147450880}, {-32769.0f, INT32_MIN}, {1e30f, INT32_MAX}, {-1e30f, INT32_MIN},    {inf, INT32_MAX},
      {-inf, INT32_MIN},    {std::nanf(""), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(zmqxFloatToFixed(c.value), c.word) << c.value;
  EXPECT_FLOAT_EQ(zmqxFixedToFloat(0x0000FFFF), 0.9999847f);
  EXPECT_FLOAT_EQ(zmqxFixedToFloat(-65536), -1.0f);
  EXPECT_FLOAT_EQ(zmqxFixedToFloat(INT32_MIN), -32768.0f);
}

// A text the message cannot carry is refused; nothing is written past the
// message's limit, and the longest text that fits gives exactly 200 bytes.
TEST(Protocol, TextsLongerThanAMessageCarriesAreRefused) {
  const std::string fits(ZMQX_CHAT_TEXT_LIMIT, 'a');
  const std::string tooLong(ZMQX_CHAT_TEXT_LIMIT + 1, 'a');
  const std::string huge(4000, 'z');
  const struct {
    const char* name;
    std::function<int(uint8_t*)> write;
    int size;
  } cases[] = {
      {"chat that fits", [&](uint8_t* m) { return zmqxWriteChatText(m, fits.c_str()); }, ZMQX_MAX_MESSAGE},
      {"chat one too long", [&](uint8_t* m) { return zmqxWriteChatText(m, tooLong.c_str()); }, -1},
      {"huge chat", [&](uint8_t* m) { return zmqxWriteChatText(m, huge.c_str()); }, -1},
      {"event", [&](uint8_t* m) { return zmqxWriteApplEvent(m, 1, huge.c_str()); }, -1},
      {"procedure", [&](uint8_t* m) { return zmqxWriteApplSpecific(m, huge.c_str(), "", 2); }, -1},
      {"user data", [&](uint8_t* m) { return zmqxWriteApplSpecific(m, "p", huge.c_str(), 2); }, -1},
      {"nickname", [&](uint8_t* m) { return zmqxWriteAvatar(m, huge.c_str(), "person.wrl"); }, -1},
      {"URL", [&](uint8_t* m) { return zmqxWriteAddObjects(m, 1, 2, huge.c_str(), nullptr); }, -1},
      {"comment", [&](uint8_t* m) { return zmqxWriteAddObjects(m, 1, 2, "a", huge.c_str()); }, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> buffer(8192, 0xAB);
    zmqxWriteHeader(buffer.data(), ZMQX_CLASS_MESSAGE, kChannel, kClient);
    zmqxWriteObjectMessage(buffer.data(), 5);
    EXPECT_EQ(c.write(buffer.data()), c.size);
    for (size_t i = ZMQX_MAX_MESSAGE; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xAB) << "byte " << i;
  }
}

// A text whose NUL lies outside the body is not read past the message.
TEST(Protocol, ReadersRefuseTextsThatRunPastTheBody) {
  uint8_t message[64] = {};
  zmqxWriteHeader(message, ZMQX_CLASS_MESSAGE, kChannel, kClient);
  zmqxWriteObjectMessage(message, 5);
  ASSERT_GT(zmqxWriteApplSpecific(message, "proc", "data", 2), 0);
  const char *procedure = nullptr, *data = nullptr;
  zmqxSetBodyLength(message, 9 + 5 + 4);  // the data's NUL cut off
  EXPECT_EQ(zmqxReadApplSpecific(message, &procedure, &data), -1);
  zmqxSetBodyLength(message, 9 + 3);  // the procedure's NUL cut off
  EXPECT_EQ(zmqxReadChatText(message, &procedure), -1);

  ASSERT_EQ(zmqxWriteAvatar(message, "ann", "person.wrl"), 32);
  zmqxSetBodyLength(message, 14);  // the file's NUL cut off
  EXPECT_EQ(zmqxReadAvatar(message, &procedure, &data), -1);
}

}  // namespace
