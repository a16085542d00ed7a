// platform/ddeml.cpp -- instances, handles, services, conversations and
// transactions; see ddeml.h. Conversations with another program ride on
// ddelink.h's streams: one stream per conversation, opened by the client.
//
// Callbacks may call back into these functions (disconnect, make handles,
// start other conversations), so no reference into the tables is held
// across a callback: each step looks its records up again by id.
#include "platform/ddeml.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/asciicase.h"
#include "platform/ddestate.h"
#include "platform/recorder.h"
#include "platform/tclloop.h"

namespace platform::dde {
namespace {

Exchange theExchange;

}  // namespace

Exchange& exchangeState() { return theExchange; }

}  // namespace platform::dde

namespace {

using platform::dde::Atom;
using platform::dde::Conversation;
using platform::dde::DataHandle;
using platform::dde::Frame;
using platform::dde::FrameKind;
using platform::dde::Instance;
using platform::dde::Tables;

constexpr uint32_t kConnectTimeoutMs = 1000;

// What a server answered a transaction.
struct Answer {
  bool acknowledged = false;
  std::vector<BYTE> data;  // a request's answer
  UINT error = DMLERR_NOTPROCESSED;
};


template <typename Handle>
uintptr_t idOf(Handle handle) {
  return reinterpret_cast<uintptr_t>(handle);
}
template <typename Handle>
Handle handleOf(uintptr_t id) {
  return reinterpret_cast<Handle>(id);
}

Instance* findInstance(DWORD id) {
  Tables& dde = platform::dde::exchangeState().tables;
  auto found = dde.instances.find(id);
  return found == dde.instances.end() ? nullptr : &found->second;
}

void setError(DWORD instance, UINT error) {
  if (Instance* owner = findInstance(instance)) owner->lastError = error;
}

// ---------------------------------------------------------------- atoms

std::string keyOf(const std::string& text) { return platform::asciiLowered(text); }

HSZ addAtom(const std::string& text) {
  Tables& dde = platform::dde::exchangeState().tables;
  const std::string key = keyOf(text);
  auto found = dde.atomByKey.find(key);
  const uintptr_t id = found != dde.atomByKey.end() ? found->second : dde.nextAtom++;
  Atom& atom = dde.atoms[id];
  if (atom.references++ == 0) {
    atom.text = text;
    dde.atomByKey[key] = id;
  }
  return handleOf<HSZ>(id);
}

void releaseAtom(HSZ hsz) {
  Tables& dde = platform::dde::exchangeState().tables;
  auto found = dde.atoms.find(idOf(hsz));
  if (found == dde.atoms.end() || --found->second.references > 0) return;
  dde.atomByKey.erase(keyOf(found->second.text));
  dde.atoms.erase(found);
}

const Atom* findAtom(HSZ hsz) {
  Tables& dde = platform::dde::exchangeState().tables;
  auto found = dde.atoms.find(idOf(hsz));
  return found == dde.atoms.end() ? nullptr : &found->second;
}

std::string atomText(HSZ hsz) {
  const Atom* atom = findAtom(hsz);
  return atom != nullptr ? atom->text : std::string();
}

// A handle the program holds while a callback runs.
class ScopedAtom {
 public:
  explicit ScopedAtom(const std::string& text) : hsz_(text.empty() ? nullptr : addAtom(text)) {}
  ~ScopedAtom() {
    if (hsz_ != nullptr) releaseAtom(hsz_);
  }
  ScopedAtom(const ScopedAtom&) = delete;
  ScopedAtom& operator=(const ScopedAtom&) = delete;
  HSZ get() const { return hsz_; }

 private:
  HSZ hsz_;
};

// ---------------------------------------------------------------- data

HDDEDATA makeData(DWORD instance, std::vector<BYTE> bytes) {
  Tables& dde = platform::dde::exchangeState().tables;
  const uintptr_t id = dde.nextData++;
  dde.data[id] = DataHandle{instance, std::move(bytes)};
  return handleOf<HDDEDATA>(id);
}

// Takes the bytes out of a handle a callback answered, freeing it.
bool takeData(HDDEDATA handle, std::vector<BYTE>* bytes) {
  Tables& dde = platform::dde::exchangeState().tables;
  auto found = dde.data.find(idOf(handle));
  if (found == dde.data.end()) return false;
  *bytes = std::move(found->second.bytes);
  dde.data.erase(found);
  return true;
}

// ---------------------------------------------------------------- conversations

Conversation* findConversation(uintptr_t id) {
  Tables& dde = platform::dde::exchangeState().tables;
  auto found = dde.conversations.find(id);
  return found == dde.conversations.end() ? nullptr : &found->second;
}

uintptr_t addConversation(Conversation conversation) {
  Tables& dde = platform::dde::exchangeState().tables;
  const uintptr_t id = dde.nextConversation++;
  dde.conversations[id] = std::move(conversation);
  return id;
}

HDDEDATA callBack(DWORD instance, UINT type, UINT format, uintptr_t conversation, HSZ hsz1, HSZ hsz2,
                  HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2) {
  const Instance* owner = findInstance(instance);
  if (owner == nullptr || owner->callback == nullptr) return nullptr;
  return owner->callback(type, format, handleOf<HCONV>(conversation), hsz1, hsz2, data, data1, data2);
}

// Tells the side `id` that its partner has gone, after forgetting it.
void notifyDisconnected(uintptr_t id) {
  Tables& dde = platform::dde::exchangeState().tables;
  Conversation* side = findConversation(id);
  if (side == nullptr) return;
  const Conversation gone = *side;
  dde.conversations.erase(id);
  callBack(gone.instance, XTYP_DISCONNECT, 0, id, nullptr, nullptr, nullptr, 0, 0);
}

bool registersNames(const Instance& instance) {
  return !instance.clientOnly && instance.callback != nullptr && !instance.names.empty();
}

// Offers a connect to this program's servers. The server side made for the
// first that accepts (not yet confirmed), or 0.
uintptr_t offerConnect(HSZ service, HSZ topic, DWORD client, int stream) {
  Tables& dde = platform::dde::exchangeState().tables;
  std::vector<DWORD> servers;
  for (const auto& [id, instance] : dde.instances)
    if (registersNames(instance)) servers.push_back(id);
  for (DWORD server : servers) {
    if (callBack(server, XTYP_CONNECT, 0, 0, topic, service, nullptr, 0, server == client) == nullptr) continue;
    if (findInstance(server) == nullptr) continue;
    return addConversation(Conversation{server, false, 0, stream, atomText(service), atomText(topic)});
  }
  return 0;
}

void confirmConnect(uintptr_t server, bool sameInstance) {
  const Conversation* side = findConversation(server);
  if (side == nullptr) return;
  ScopedAtom service(side->service), topic(side->topic);
  callBack(side->instance, XTYP_CONNECT_CONFIRM, 0, server, topic.get(), service.get(), nullptr, 0, sameInstance);
}

// Runs one transaction on a server side and collects its answer.
Answer serve(uintptr_t server, UINT type, UINT format, const std::string& item, const std::vector<BYTE>& data) {
  Tables& dde = platform::dde::exchangeState().tables;
  const Conversation* side = findConversation(server);
  Answer answer;
  if (side == nullptr) {
    answer.error = DMLERR_NO_CONV_ESTABLISHED;
    return answer;
  }
  const DWORD instance = side->instance;
  ScopedAtom topic(side->topic), itemAtom(item);
  HDDEDATA handed = type == XTYP_REQUEST ? nullptr : makeData(instance, data);
  HDDEDATA answered = callBack(instance, type, format, server, topic.get(), itemAtom.get(), handed, 0, 0);
  if (handed != nullptr) dde.data.erase(idOf(handed));
  if (type == XTYP_REQUEST)
    answer.acknowledged = answered != nullptr && takeData(answered, &answer.data);
  else
    answer.acknowledged = (idOf(answered) & DDE_FACK) != 0;
  return answer;
}

Answer transactAcross(uintptr_t id, UINT type, UINT format, const std::string& item, const std::vector<BYTE>& data,
                      DWORD timeoutMs) {
  Tables& dde = platform::dde::exchangeState().tables;
  Conversation& client = dde.conversations.at(id);
  Frame request;
  request.kind = FrameKind::Transact;
  request.sequence = ++client.sequence;
  request.type = type;
  request.format = format;
  request.item = item;
  request.data = data;
  Frame reply;
  Answer answer;
  if (!platform::dde::exchange(client.stream, request, &reply, timeoutMs)) {
    answer.error = DMLERR_TIMEOUT;
    return answer;
  }
  answer.acknowledged = (reply.result & DDE_FACK) != 0 && (type != XTYP_REQUEST || reply.hasData);
  answer.data = std::move(reply.data);
  return answer;
}

const char* typeName(UINT type) {
  switch (type) {
    case XTYP_REQUEST: return "request";
    case XTYP_POKE: return "poke";
    case XTYP_EXECUTE: return "execute";
    default: return nullptr;
  }
}

// ---------------------------------------------------------------- other programs

void endIncoming(int stream) {
  Tables& dde = platform::dde::exchangeState().tables;
  auto found = dde.serverByStream.find(stream);
  if (found == dde.serverByStream.end()) return;
  const uintptr_t server = found->second;
  dde.serverByStream.erase(found);
  notifyDisconnected(server);
}

bool answerConnect(int stream, const Frame& frame, Frame* reply) {
  Tables& dde = platform::dde::exchangeState().tables;
  reply->kind = FrameKind::Refuse;
  if (dde.serverByStream.count(stream) != 0) return true;  // one conversation per stream
  ScopedAtom service(frame.service), topic(frame.topic);
  if (service.get() == nullptr) return true;
  const uintptr_t server = offerConnect(service.get(), topic.get(), 0, stream);
  if (server == 0) return true;
  dde.serverByStream[stream] = server;
  reply->kind = FrameKind::Accept;
  confirmConnect(server, false);
  return true;
}

bool answerTransaction(int stream, const Frame& frame, Frame* reply) {
  Tables& dde = platform::dde::exchangeState().tables;
  auto found = dde.serverByStream.find(stream);
  const Answer answer = found != dde.serverByStream.end()
                            ? serve(found->second, frame.type, frame.format, frame.item, frame.data)
                            : Answer{};
  reply->kind = FrameKind::Reply;
  reply->sequence = frame.sequence;
  reply->result = answer.acknowledged ? DDE_FACK : 0;
  reply->hasData = answer.acknowledged && frame.type == XTYP_REQUEST;
  reply->data = answer.data;
  return true;
}

bool onIncomingFrame(int stream, const Frame& frame, Frame* reply) {
  switch (frame.kind) {
    case FrameKind::Connect:
      return answerConnect(stream, frame, reply);
    case FrameKind::Transact:
      return answerTransaction(stream, frame, reply);
    case FrameKind::Disconnect:
      platform::dde::closeIncoming(stream);
      endIncoming(stream);
      return false;
    default:
      return false;
  }
}

// The program listens while any of its instances serves a name.
void updateListening() {
  Tables& dde = platform::dde::exchangeState().tables;
  for (const auto& entry : dde.instances)
    if (registersNames(entry.second)) {
      platform::dde::startListening({onIncomingFrame, endIncoming});
      return;
    }
  std::vector<int> streams;
  for (const auto& entry : dde.serverByStream) streams.push_back(entry.first);
  platform::dde::stopListening();
  for (int stream : streams) endIncoming(stream);
}

// An idle client stream became readable: a late reply, or the server ended
// the conversation.
void onOutgoingReady(int stream) {
  Tables& dde = platform::dde::exchangeState().tables;
  if (platform::dde::drainOutgoing(stream)) return;
  platform::unwatchFd(stream);
  platform::dde::closeOutgoing(stream, nullptr);
  for (const auto& [id, side] : dde.conversations)
    if (side.client && side.stream == stream) {
      notifyDisconnected(id);
      return;
    }
}

HCONV connectAcross(DWORD instance, HSZ service, HSZ topic) {
  Frame connect;
  connect.kind = FrameKind::Connect;
  connect.service = atomText(service);
  connect.topic = atomText(topic);
  const int stream = platform::dde::connectToPeer(connect, kConnectTimeoutMs);
  if (stream < 0) return nullptr;
  const uintptr_t client = addConversation(Conversation{instance, true, 0, stream, connect.service, connect.topic});
  platform::watchFd(stream, [](int fd, unsigned) { onOutgoingReady(fd); });
  return handleOf<HCONV>(client);
}

}  // namespace

UINT DdeInitializeA(LPDWORD instance, PFNCALLBACK callback, DWORD commands, DWORD reserved) {
  Tables& dde = platform::dde::exchangeState().tables;
  if (instance == nullptr || *instance != 0) return DMLERR_INVALIDPARAMETER;
  const DWORD id = dde.nextInstance++;
  dde.instances[id] = Instance{callback, (commands & APPCMD_CLIENTONLY) != 0};
  *instance = id;
  return DMLERR_NO_ERROR;
}

BOOL DdeUninitialize(DWORD instance) {
  Tables& dde = platform::dde::exchangeState().tables;
  if (findInstance(instance) == nullptr) return FALSE;
  std::vector<uintptr_t> conversations;
  for (const auto& [id, side] : dde.conversations)
    if (side.instance == instance) conversations.push_back(id);
  for (uintptr_t id : conversations) DdeDisconnect(handleOf<HCONV>(id));
  std::erase_if(dde.data, [instance](const auto& entry) { return entry.second.instance == instance; });
  Instance* owner = findInstance(instance);
  if (owner == nullptr) return TRUE;  // a partner's callback ended it meanwhile
  for (HSZ hsz : owner->names) releaseAtom(hsz);
  for (HSZ hsz : owner->strings) releaseAtom(hsz);
  dde.instances.erase(instance);
  updateListening();
  return TRUE;
}

UINT DdeGetLastError(DWORD instance) {
  Instance* owner = findInstance(instance);
  if (owner == nullptr) return DMLERR_INVALIDPARAMETER;
  const UINT error = owner->lastError;
  owner->lastError = DMLERR_NO_ERROR;
  return error;
}

HSZ DdeCreateStringHandleA(DWORD instance, LPCSTR text, int codePage) {
  Instance* owner = findInstance(instance);
  if (owner == nullptr) return nullptr;
  if (text == nullptr || text[0] == '\0') {
    owner->lastError = DMLERR_INVALIDPARAMETER;
    return nullptr;
  }
  HSZ hsz = addAtom(text);
  owner->strings.push_back(hsz);
  return hsz;
}

BOOL DdeFreeStringHandle(DWORD instance, HSZ hsz) {
  Instance* owner = findInstance(instance);
  if (owner == nullptr) return FALSE;
  auto held = std::find(owner->strings.begin(), owner->strings.end(), hsz);
  if (held == owner->strings.end()) return FALSE;
  owner->strings.erase(held);
  releaseAtom(hsz);
  return TRUE;
}

DWORD DdeQueryStringA(DWORD instance, HSZ hsz, LPSTR buffer, DWORD size, int codePage) {
  const Atom* atom = findAtom(hsz);
  if (findInstance(instance) == nullptr || atom == nullptr) return 0;
  if (buffer == nullptr) return DWORD(atom->text.size());
  if (size == 0) return 0;
  const size_t copied = std::min<size_t>(atom->text.size(), size - 1);
  atom->text.copy(buffer, copied);
  buffer[copied] = '\0';
  return DWORD(copied);
}

int DdeCmpStringHandles(HSZ first, HSZ second) {
  const std::string a = keyOf(atomText(first)), b = keyOf(atomText(second));
  return a < b ? -1 : (a == b ? 0 : 1);
}

HDDEDATA DdeNameService(DWORD instance, HSZ service, HSZ reserved, UINT command) {
  Instance* owner = findInstance(instance);
  if (owner == nullptr) return nullptr;
  if (owner->clientOnly || owner->callback == nullptr) {
    owner->lastError = DMLERR_DLL_USAGE;
    return nullptr;
  }
  std::vector<HSZ>& names = owner->names;
  if (command == DNS_REGISTER && findAtom(service) != nullptr) {
    names.push_back(addAtom(atomText(service)));
  } else if (command == DNS_UNREGISTER && service == nullptr) {
    for (HSZ hsz : names) releaseAtom(hsz);
    names.clear();
  } else if (command == DNS_UNREGISTER && std::find(names.begin(), names.end(), service) != names.end()) {
    names.erase(std::find(names.begin(), names.end(), service));
    releaseAtom(service);
  } else {
    owner->lastError = DMLERR_INVALIDPARAMETER;
    return nullptr;
  }
  updateListening();
  return handleOf<HDDEDATA>(1);
}

HCONV DdeConnect(DWORD instance, HSZ service, HSZ topic, PCONVCONTEXT context) {
  Tables& dde = platform::dde::exchangeState().tables;
  if (findInstance(instance) == nullptr) return nullptr;
  if (findAtom(service) == nullptr || findAtom(topic) == nullptr) {
    setError(instance, DMLERR_INVALIDPARAMETER);
    return nullptr;
  }
  if (const uintptr_t server = offerConnect(service, topic, instance, -1); server != 0) {
    const uintptr_t client =
        addConversation(Conversation{instance, true, server, -1, atomText(service), atomText(topic)});
    dde.conversations.at(server).partner = client;
    confirmConnect(server, dde.conversations.at(server).instance == instance);
    if (findConversation(client) != nullptr) return handleOf<HCONV>(client);
  } else if (HCONV across = connectAcross(instance, service, topic)) {
    return across;
  }
  setError(instance, DMLERR_NO_CONV_ESTABLISHED);
  return nullptr;
}

BOOL DdeDisconnect(HCONV conv) {
  Tables& dde = platform::dde::exchangeState().tables;
  Conversation* side = findConversation(idOf(conv));
  if (side == nullptr) return FALSE;
  const Conversation ending = *side;
  dde.conversations.erase(idOf(conv));
  if (ending.partner != 0) {
    notifyDisconnected(ending.partner);
  } else if (ending.client) {
    Frame last;
    last.kind = FrameKind::Disconnect;
    platform::unwatchFd(ending.stream);
    platform::dde::closeOutgoing(ending.stream, &last);
  } else {
    dde.serverByStream.erase(ending.stream);
    platform::dde::closeIncoming(ending.stream);
  }
  return TRUE;
}

HDDEDATA DdeClientTransaction(LPBYTE data, DWORD size, HCONV conv, HSZ item, UINT format, UINT type, DWORD timeoutMs,
                              LPDWORD result) {
  if (result != nullptr) *result = 0;
  const Conversation* side = findConversation(idOf(conv));
  if (side == nullptr || !side->client) return nullptr;
  const DWORD instance = side->instance;
  const char* name = typeName(type);
  if (name == nullptr || (type != XTYP_EXECUTE && findAtom(item) == nullptr)) {
    setError(instance, DMLERR_INVALIDPARAMETER);
    return nullptr;
  }
  const std::string itemText = atomText(item);
  platform::recordEvent("Dde", std::string(name) + " " + side->service + " " + side->topic + " " + itemText);
  std::vector<BYTE> handed;
  if (data != nullptr && type != XTYP_REQUEST) handed.assign(data, data + size);
  const Answer answer = side->partner != 0
                            ? serve(side->partner, type, format, itemText, handed)
                            : transactAcross(idOf(conv), type, format, itemText, handed, timeoutMs);
  if (!answer.acknowledged) {
    setError(instance, answer.error);
    return nullptr;
  }
  if (result != nullptr) *result = DDE_FACK;
  if (type == XTYP_REQUEST) return makeData(instance, answer.data);
  return handleOf<HDDEDATA>(1);
}

HDDEDATA DdeCreateDataHandle(DWORD instance, LPBYTE source, DWORD size, DWORD offset, HSZ item, UINT format,
                             UINT commands) {
  if (findInstance(instance) == nullptr) return nullptr;
  std::vector<BYTE> bytes(size_t(offset) + size, 0);
  if (source != nullptr) std::copy(source, source + size, bytes.begin() + offset);
  return makeData(instance, std::move(bytes));
}

DWORD DdeGetData(HDDEDATA data, LPBYTE buffer, DWORD size, DWORD offset) {
  Tables& dde = platform::dde::exchangeState().tables;
  auto found = dde.data.find(idOf(data));
  if (found == dde.data.end()) return 0;
  const std::vector<BYTE>& bytes = found->second.bytes;
  if (offset >= bytes.size()) return 0;
  const size_t available = bytes.size() - offset;
  if (buffer == nullptr) return DWORD(available);
  const size_t copied = std::min<size_t>(available, size);
  std::copy(bytes.begin() + offset, bytes.begin() + offset + copied, buffer);
  return DWORD(copied);
}

BOOL DdeFreeDataHandle(HDDEDATA data) {
  return platform::dde::exchangeState().tables.data.erase(idOf(data)) != 0 ? TRUE : FALSE;
}
