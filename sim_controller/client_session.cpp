#include "client_session.h"

#include <chrono>

#include "wire_codec.h"

ClientSession::~ClientSession() { close(); }

bool ClientSession::open(uint16_t port, int timeoutMs) {
  if (!mSocket.connectTcp(port, timeoutMs)) {
    mError = mSocket.errorText();
    return false;
  }
  {
    std::lock_guard<CallerMutex> lock(mMutex);
    mIsAlive = true;
    mIsStopping = false;
  }
  mReader = std::thread(&ClientSession::readLoop, this);
  return true;
}

bool ClientSession::isAlive() {
  std::lock_guard<CallerMutex> lock(mMutex);
  return mIsAlive;
}

int32_t ClientSession::request(const std::string& request, std::vector<std::string>& values,
                               int timeoutMs) {
  uint32_t seq;
  {
    std::lock_guard<CallerMutex> lock(mMutex);
    if (!mIsAlive) return -1;
    seq = mNextSeq++;
    mPending.insert(seq);
  }
  std::string line = std::to_string(seq) + " " + request + "\n";
  {
    std::lock_guard<CallerMutex> lock(mSendMutex);
    if (mTraceSink) mTraceSink("-> " + request);
    if (!mSocket.sendAll(line)) {
      std::lock_guard<CallerMutex> lock(mMutex);
      mPending.erase(seq);
      return -1;
    }
  }
  std::unique_lock<CallerMutex> lock(mMutex);
  bool answered = mChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                    [&] { return !mIsAlive || mReplies.count(seq) != 0; });
  mPending.erase(seq);
  auto it = mReplies.find(seq);
  if (!answered || it == mReplies.end()) return -1;
  std::vector<std::string> reply = std::move(it->second);
  mReplies.erase(it);
  int64_t status = -1;
  if (reply.empty() || !WireCodec::parseInt(reply[0], INT32_MIN, INT32_MAX, status)) return -1;
  values.assign(reply.begin() + 1, reply.end());
  return static_cast<int32_t>(status);
}

int ClientSession::waitEvent(ControllerEvent& event, int timeoutMs) {
  std::unique_lock<CallerMutex> lock(mMutex);
  mChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [&] { return !mIsAlive || !mEvents.empty(); });
  if (!mEvents.empty()) {
    event = mEvents.front();
    mEvents.pop_front();
    return 1;
  }
  return mIsAlive ? 0 : -1;
}

void ClientSession::close() {
  {
    std::lock_guard<CallerMutex> lock(mMutex);
    mIsAlive = false;
    mIsStopping = true;
    mEvents.clear();
  }
  mChanged.notify_all();
  mSocket.shutdown();
  if (mReader.joinable() && mReader.get_id() != std::this_thread::get_id()) mReader.join();
  mSocket.close();
}

void ClientSession::readLoop() {
  for (;;) {
    {
      std::lock_guard<CallerMutex> lock(mMutex);
      if (mIsStopping) break;
    }
    std::string line;
    // The shutdown of a stop wakes the wait; its limit only bounds a stop where it would not.
    int rc = mSocket.readLine(line, kStopCheckMs);
    if (rc == 0) continue;
    if (rc < 0) {
      std::lock_guard<CallerMutex> lock(mMutex);
      if (!mIsStopping) mError = mSocket.errorText();
      break;
    }
    if (mTraceSink) mTraceSink("<- " + line);
    handleLine(line);
  }
  {
    std::lock_guard<CallerMutex> lock(mMutex);
    mIsAlive = false;
  }
  mChanged.notify_all();
}

void ClientSession::handleLine(const std::string& line) {
  std::vector<std::string> words = WireCodec::split(line);
  if (words.empty()) return;
  if (words[0] == "r" && words.size() >= 3) {
    int64_t seq;
    if (!WireCodec::parseInt(words[1], 0, UINT32_MAX, seq)) return;
    {
      std::lock_guard<CallerMutex> lock(mMutex);
      if (mPending.count(static_cast<uint32_t>(seq)) == 0) return;
      mReplies[static_cast<uint32_t>(seq)].assign(words.begin() + 2, words.end());
    }
    mChanged.notify_all();
  } else if (words[0] == "e" && words.size() == 8) {
    ControllerEvent event;
    int64_t v;
    if (!WireCodec::parseInt(words[1], INT32_MIN, INT32_MAX, v)) return;
    event.code = static_cast<int32_t>(v);
    for (int i = 0; i < 6; ++i) {
      if (!WireCodec::parseInt(words[2 + i], INT16_MIN, INT16_MAX, v)) return;
      event.values[i] = static_cast<int16_t>(v);
    }
    {
      std::lock_guard<CallerMutex> lock(mMutex);
      // A reader that stopped reading must not make the library grow without bound.
      if (mEvents.size() >= kMaxQueuedEvents) mEvents.pop_front();
      mEvents.push_back(event);
    }
    mChanged.notify_all();
  }
}
